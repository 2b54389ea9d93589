#!/usr/bin/env bash
# Builds the Debian package, checks it with lintian, unpacks it into a folder of its own and runs
# the programs from there: the layout works outside the build folder and its prefix.
# Usage: package_e2e.sh BUILD_DIR
source "$(dirname "$0")/../e2e/x11_session.sh"

readonly build_dir=$1
(cd "$build_dir" && cpack -G DEB -B "$work_dir/package") >"$work_dir/cpack.log" 2>&1 ||
  fail "cpack: $(cat "$work_dir/cpack.log")"
package=$(ls "$work_dir"/package/quantelo_*.deb)
echo "ok: built $(basename "$package") ($(du -k "$package" | cut -f1) KiB)"
dpkg-deb --field "$package" Depends

lintian --fail-on error --tag-display-limit 0 "$package" >"$work_dir/lintian.log" 2>&1 ||
  fail "lintian: $(cat "$work_dir/lintian.log")"
echo "ok: lintian finds no error"
sed 's/^/  /' "$work_dir/lintian.log"

root="$work_dir/unpacked"
dpkg-deb -x "$package" "$root"
version=$("$root/usr/bin/quantelo-sdnr" --version)
[ "$version" = "quantelo-sdnr $(dpkg-deb --field "$package" Version)" ] ||
  fail "the unpacked quantelo-sdnr says '$version'"
echo "ok: the unpacked quantelo-sdnr runs: $version"

start_x_server
launch '^Quantelo$' "$root/usr/bin/quantelo" >/dev/null
loads_packaged_module() {
  grep -q "$root/usr/lib/.*/libmsimg32.so\|$root/usr/lib/quantelo/libmsimg32.so" "/proc/$1/maps"
}
wait_until 10 "the unpacked quantelo to load its gradient module from the package" \
  loads_packaged_module "${pids[-1]}"
echo "ok: the unpacked quantelo shows its window and loads its module from the package"
