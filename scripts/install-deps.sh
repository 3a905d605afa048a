#!/usr/bin/env bash
# Installs the Debian packages of the sets named, and only those that are
# missing, so running it again costs nothing:
#
#   app        the converter and the desktop application
#   web        the WebAssembly build (the Node program and the page)
#   tests      what the test suite runs besides them
#   packaging  building and checking the Debian package
#   bench      the benchmark program
#
# With no set named, all of them.
set -euo pipefail

declare -A sets=(
  [app]="build-essential cmake ninja-build pkg-config
    libzip-dev zlib1g-dev libdeflate-dev libbz2-dev libsimdjson-dev libutf8proc-dev libcli11-dev
    libfast-float-dev libfmt-dev unicode-data scdoc
    qt6-base-dev qt6-webengine-dev qt6-qpa-plugins libqt6svg6 adwaita-icon-theme fonts-dejavu-core"
  [web]="emscripten nodejs dpkg-dev"
  [tests]="libgtest-dev googletest libxml2-dev libxml2-utils librsvg2-bin clang-14 libclang-rt-14-dev locales
    xvfb xauth libgl1-mesa-dri desktop-file-utils shared-mime-info libglib2.0-bin
    inkscape python3-lxml python3-numpy python3-cssselect chromium nodejs cloc appstream man-db"
  [packaging]="dpkg-dev lintian appstream xdg-utils libfile-mimeinfo-perl man-db desktop-file-utils"
  [bench]="libbenchmark-dev"
)

chosen=("$@")
if [ ${#chosen[@]} -eq 0 ]; then chosen=(app web tests packaging bench); fi

packages=()
for set in "${chosen[@]}"; do
  if [ -z "${sets[$set]+known}" ]; then
    echo "install-deps.sh: no set named '$set' (app, web, tests, packaging, bench)" >&2
    exit 2
  fi
  read -r -a listed <<<"$(echo ${sets[$set]})"
  packages+=("${listed[@]}")
done

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

# The WebAssembly build compiles its libraries from Debian's source packages,
# which apt finds only with a deb-src entry.
if [[ " ${chosen[*]} " == *" web "* ]] && [ -z "$(apt-cache showsrc zlib 2>/dev/null)" ]; then
  . /etc/os-release
  printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: %s\nComponents: main\nSigned-By: %s\n' \
    "$VERSION_CODENAME" /usr/share/keyrings/debian-archive-keyring.gpg |
    $SUDO tee /etc/apt/sources.list.d/kerfwright-sources.sources >/dev/null
  $SUDO apt-get update -qq
fi

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

# Each package once, in the order first named.
readarray -t missing < <(printf '%s\n' "${missing[@]}" | awk '!seen[$0]++')
echo "Installing: ${missing[*]}" >&2
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
