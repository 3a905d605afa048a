#!/usr/bin/env bash
# Converts every example with the inkscape profile, exports each drawing to
# DXF with Inkscape's command line, and expects each layer group's name as a
# layer of the DXF. A drawing in the standard profile, for contrast, puts
# everything on layer "0". Inkscape's DXF export runs a Python extension
# that needs Debian's own python3 (with lxml, numpy and cssselect), so only
# the system's programs are on PATH.
set -euo pipefail
cli="$1"
examples="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export PATH=/usr/bin:/bin HOME="$work/home"
if ! command -v inkscape >/dev/null; then
  echo "This test needs inkscape, from the Debian package inkscape: run bash scripts/install-deps.sh tests" >&2
  exit 1
fi

# The names of the LAYER table's records, one per line, sorted.
dxf_layers() {
  tr -d '\r' <"$1" | awk '
    prev == "  0" && $0 == "LAYER" { record = 1 }
    prev == "  0" && $0 != "LAYER" { record = 0 }
    record && prev == "  2" { print }
    { prev = $0 }' | sort -u
}

export_dxf() {
  inkscape "$1" --export-filename="${1%.svg}.dxf" --export-extension=org.ekips.output.dxf_outlines 2>"$work/inkscape.log" ||
    { cat "$work/inkscape.log" >&2; exit 1; }
  test -s "${1%.svg}.dxf" || { echo "no DXF made of $1" >&2; cat "$work/inkscape.log" >&2; exit 1; }
}

"$cli" convert -o "$work/inkscape" --profile inkscape "$examples"/*.lac 2>/dev/null >"$work/written"
failures=0
count=0
for svg in "$work"/inkscape/*.svg; do
  export_dxf "$svg"
  expected="$( (echo 0; grep -o 'inkscape:label="[^"]*"' "$svg" | sed 's/^inkscape:label="//; s/"$//') | sort -u)"
  found="$(dxf_layers "${svg%.svg}.dxf")"
  if [ "$found" != "$expected" ]; then
    echo "$(basename "$svg"): DXF layers $(echo $found) instead of $(echo $expected)" >&2
    failures=$((failures + 1))
  fi
  count=$((count + 1))
done
test "$count" -ge 5 || { echo "only $count drawings converted" >&2; exit 1; }

"$cli" convert -o "$work/standard" "$examples/coaster.lac" >/dev/null
export_dxf "$work/standard/coaster.svg"
standard="$(dxf_layers "$work/standard/coaster.dxf")"
test "$standard" = "0" || { echo "the standard drawing has DXF layers $(echo $standard)" >&2; failures=$((failures + 1)); }
exit "$failures"
