#!/usr/bin/env bash
# Builds the Debian package, checks it with lintian, installs it as a user
# would, checks what the system makes of it, and removes it again: none of
# its files may be left.
set -euo pipefail
cd "$(dirname "$0")/.."

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
fail() { echo "package check failed: $*" >&2; exit 1; }

deb="$(bash scripts/package.sh | tail -n 1)"
version="$(sed -n 's/^project(Kerfwright VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"

# Errors fail the check; lintian prints the warnings left.
lintian --fail-on error --tag-display-limit 0 "$deb"

DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "./$deb" >/dev/null
mapfile -t installed < <(dpkg-query -L kerfwright)
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

# The installed tool writes the expected bytes.
kerfwright-cli convert -o "$scratch/out" examples/coaster.lac >/dev/null
cmp "$scratch/out/coaster.svg" examples/expected/coaster/coaster.svg
cmp "$scratch/out/coaster.txt" examples/expected/coaster/coaster.txt

# One version everywhere.
[ "$(kerfwright-cli --version)" = "kerfwright-cli $version" ] || fail "kerfwright-cli --version"
[ "$(QT_QPA_PLATFORM=offscreen kerfwright --version 2>/dev/null)" = "kerfwright $version" ] || fail "kerfwright --version"
[ "$(dpkg-query -W -f='${Version}' kerfwright)" = "$version" ] || fail "package version"
metainfo=/usr/share/metainfo/org.example.Kerfwright.metainfo.xml
grep -q "<release version=\"$version\"" "$metainfo" || fail "metainfo release"
kerfwright-cli --help | grep -q '^Usage: kerfwright-cli ' || fail "kerfwright-cli --help names another program"

# The desktop knows the file type, the launcher and the application.
cp examples/coaster.lac "$scratch/project.lac"
[ "$(xdg-mime query filetype "$scratch/project.lac")" = "application/x-lac-project" ] || fail "xdg-mime"
desktop-file-validate /usr/share/applications/kerfwright.desktop
appstreamcli validate --no-net "$metainfo" >/dev/null
for page in kerfwright kerfwright-cli; do
  man -l "/usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null | (! grep .) || fail "man page $page"
  man -l "/usr/share/man/man1/$page.1.gz" | grep -q "^NAME" || fail "man page $page renders nothing"
done

DEBIAN_FRONTEND=noninteractive $SUDO apt-get purge -y -qq kerfwright >/dev/null
for path in "${installed[@]}"; do
  # Folders such as /usr/bin are shared with other packages.
  if [ -e "$path" ] && [ ! -d "$path" ]; then fail "left after purge: $path"; fi
done
echo "package checks passed: $deb"
