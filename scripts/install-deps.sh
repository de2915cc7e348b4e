#!/usr/bin/env bash
# Installs everything the project builds, tests and benchmarks with, on Debian 12.
# Quiet when all is already there; safe to run again.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libicu-dev libxcb1-dev libfontconfig-dev
  qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libgl-dev
  fonts-ipafont-gothic
  libx11-dev libxdamage-dev libxtst-dev
  xvfb xauth xdotool xclip imagemagick poppler-utils
  nkf icu-devtools manpages-ja
  g++-mingw-w64-x86-64 g++-mingw-w64-i686 wine wine64
  dpkg-dev lintian desktop-file-utils appstream
  acl attr e2fsprogs dbus-x11
)
# The 32-bit Windows build's tests run under 32-bit wine, where the machine
# runs 32-bit programs at all.
if bash "$(dirname "$0")/runs-32-bit.sh"; then
  packages+=(wine32:i386)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  sudo=sudo
else
  sudo=
fi
echo "installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo dpkg --add-architecture i386 2>/dev/null || true
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
