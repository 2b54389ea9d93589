#!/usr/bin/env bash
# Builds the Debian package, checks it with lintian, builds it once more to compare the two byte
# for byte, unpacks it into a folder of its own and runs the programs from there: the layout
# works outside the build folder and its prefix.
# Usage: package_e2e.sh BUILD_DIR
source "$(dirname "$0")/../e2e/x11_session.sh"

readonly build_dir=$1
# Builds the package into the folder $1, as `make package` does, and prints the package's path.
build_package() {
  (cd "$build_dir" && cpack -G DEB -B "$1") >"$1.log" 2>&1 || fail "cpack: $(cat "$1.log")"
  ls "$1"/quantelo_*.deb
}
package=$(build_package "$work_dir/package")
echo "ok: built $(basename "$package") ($(du -k "$package" | cut -f1) KiB)"
dpkg-deb --field "$package" Depends

# All that lintian says, informational tags too, and any of them fails: the package has nothing
# to note but what its overrides let pass.
lintian_status=0
lintian --fail-on error,warning,info --display-info --tag-display-limit 0 "$package" \
  >"$work_dir/lintian.log" 2>&1 || lintian_status=$?
echo "lintian --display-info:"
sed 's/^/  /' "$work_dir/lintian.log"
((lintian_status == 0)) || fail "lintian finds errors, warnings or notes"
echo "ok: lintian finds nothing to note"

# A second build from the same sources, in another folder, gives the same bytes.
again=$(build_package "$work_dir/again")
sha256sum "$package" "$again" | sed "s|$work_dir/|  |"
cmp "$package" "$again" || fail "two builds of the package differ"
echo "ok: a second build gives the identical package"

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
