#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need (only the missing ones).
set -euo pipefail
# fonts-wqy-microhei: the CJK characters the DejaVu fonts lack, for names in the diagram.
# libcairo2-dev, libgraphviz-dev: the diagram's pictures and its arrangement; x11-common: the
# X colour names (rgb.txt) pictures are coloured by; librsvg2-bin: looking at exported SVGs.
# libicu-dev: names checked as Unicode text (normal form, invisible characters, mixed scripts).
# xdotool: the end-to-end tests press keys and click in the real editor with it.
packages=(
  build-essential cmake pkg-config gettext-base libc-bin ccache
  libmotif-dev libxt-dev libxpm-dev libxext-dev libxfixes-dev libxtst-dev libx11-dev libxft-dev libfontconfig-dev
  libcairo2-dev libgraphviz-dev x11-common librsvg2-bin
  libsqlite3-dev sqlite3 libpq-dev postgresql libicu-dev
  nlohmann-json3-dev libdtl-dev libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xauth x11-utils xfonts-base fonts-dejavu-core fonts-wqy-microhei imagemagick strace man-db dpkg-dev xdotool
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
