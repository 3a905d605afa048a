#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks what a Linux desktop
# will make of it: both programs, a valid launcher entry, the icon, the
# software-centre metadata, the manual pages, and a
# file type that claims .lac projects (by name, and by content for a project
# that lost its name) but not every ZIP archive.
set -euo pipefail
build_dir="$1"
source_dir="$2"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build_dir" --prefix "$prefix" >/dev/null
test -x "$prefix/bin/kerfwright"
test -x "$prefix/bin/kerfwright-cli"
desktop-file-validate --no-hints "$prefix/share/applications/kerfwright.desktop"
grep -qx 'MimeType=application/x-lac-project;' "$prefix/share/applications/kerfwright.desktop"
xmllint --noout "$prefix/share/icons/hicolor/scalable/apps/kerfwright.svg"
appstreamcli validate --no-net "$prefix/share/metainfo/org.example.Kerfwright.metainfo.xml" >/dev/null
for page in kerfwright kerfwright-cli; do
  man -l "$prefix/share/man/man1/$page.1.gz" | grep -q "^NAME"
done

update-mime-database "$prefix/share/mime" >/dev/null 2>&1
content_type() {
  XDG_DATA_HOME="$prefix/share" XDG_DATA_DIRS="$prefix/share:/usr/share" \
    gio info -a standard::content-type "$1" | sed -n 's/^ *standard::content-type: //p'
}
samples="$prefix/samples"
mkdir "$samples"
cp "$source_dir/examples/coaster.lac" "$samples/coaster.lac"
cp "$source_dir/examples/coaster.lac" "$samples/renamed"
echo hi > "$samples/readme.txt"
(cd "$samples" && cmake -E tar cf plain --format=zip readme.txt)

check() {
  local actual
  actual="$(content_type "$samples/$1")"
  if [ "$actual" != "$2" ]; then
    echo "$1: expected $2, found $actual" >&2
    exit 1
  fi
}
check coaster.lac application/x-lac-project
check renamed application/x-lac-project
check plain application/zip

# The launcher database the README's install from source refreshes names
# the application for .lac projects.
update-desktop-database "$prefix/share/applications"
grep -q '^application/x-lac-project=kerfwright.desktop' "$prefix/share/applications/mimeinfo.cache" || {
  echo "the launcher database does not open .lac projects in kerfwright" >&2
  exit 1
}
echo "packaging checks passed"
