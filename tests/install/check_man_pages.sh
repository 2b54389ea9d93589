#!/usr/bin/env bash
# The manual pages render without a warning, and each German page is the English one's
# translation in form: the same sections in the same order, every heading in German, the same
# options. A page changed in one language only shows up here.
# Usage: check_man_pages.sh MAN_SOURCE_DIR (with en/ and de/ below it)
set -euo pipefail

readonly man_dir=$1
declare -A german_heading=(
  [NAME]=BEZEICHNUNG [SYNOPSIS]=ÜBERSICHT [DESCRIPTION]=BESCHREIBUNG [OPTIONS]=OPTIONEN
  ["EXIT STATUS"]=RÜCKGABEWERT [FILES]=DATEIEN [EXAMPLES]=BEISPIELE ["SEE ALSO"]="SIEHE AUCH"
)
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

headings() { sed -n 's/^\.SH "\{0,1\}\([^"]*\)"\{0,1\}$/\1/p' "$1"; }
options() { grep -o '\\-\\-[a-z]\+' "$1" | sort -u; }

pages=0
for english in "$man_dir"/en/*.1; do
  german=$man_dir/de/$(basename "$english")
  pages=$((pages + 1))
  for page in "$english" "$german"; do
    warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null) ||
      fail "$page: man failed"
    [ -z "$warnings" ] || fail "$page renders with warnings: $warnings"
  done
  translated=$(headings "$english" | while IFS= read -r heading; do
    echo "${german_heading[$heading]:-(no German heading for $heading)}"
  done)
  [ "$translated" = "$(headings "$german")" ] ||
    fail "$german: headings $(headings "$german" | paste -s -d '|'), expected $(paste -s -d '|' <<<"$translated")"
  [ "$(options "$english")" = "$(options "$german")" ] ||
    fail "$english and $german name different options: $(diff <(options "$english") <(options "$german") | grep '^[<>]' | paste -s -d ' ')"
done
[ "$(ls "$man_dir"/de/*.1 | wc -l)" -eq "$pages" ] || fail "the German pages are not the English ones"
((pages > 0)) || fail "no English pages in $man_dir/en"
((failures == 0)) || exit 1
echo "ok: $pages pages in English and German"
