#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, and only those
# that are missing, so running it again costs nothing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libzip-dev zlib1g-dev libdeflate-dev libbz2-dev
  libsimdjson-dev
  libutf8proc-dev
  libcli11-dev
  libgtest-dev googletest
  libbenchmark-dev
  libxml2-utils librsvg2-bin
  libxml2-dev clang-14 libclang-rt-14-dev
  unicode-data
  locales
  qt6-base-dev qt6-webengine-dev qt6-qpa-plugins libqt6svg6 adwaita-icon-theme fonts-dejavu-core
  xvfb xauth libgl1-mesa-dri desktop-file-utils shared-mime-info libglib2.0-bin
  inkscape python3-lxml python3-numpy python3-cssselect
  emscripten libfast-float-dev dpkg-dev chromium
  scdoc lintian appstream xdg-utils libfile-mimeinfo-perl man-db cloc
)

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
if [ -z "$(apt-cache showsrc zlib 2>/dev/null)" ]; then
  . /etc/os-release
  printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: %s\nComponents: main\nSigned-By: %s\n' \
    "$VERSION_CODENAME" /usr/share/keyrings/debian-archive-keyring.gpg |
    $SUDO tee /etc/apt/sources.list.d/kerfwright-sources.sources >/dev/null
  $SUDO apt-get update -qq
fi

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}" >&2
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
