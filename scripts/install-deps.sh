#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build, test and run Wendaro; does nothing when all are present.
set -euo pipefail
packages=(
  cmake ninja-build ccache g++ clang libclang-rt-14-dev clang-format clang-tidy gettext
  libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev libmicrohttpd-dev libqrencode-dev libarchive-dev libssl-dev
  qt6-base-dev qt6-svg-dev libqt6svg6 qt6-qpa-plugins qt6-translations-l10n fonts-dejavu-core
  xvfb xauth xdotool xclip x11-utils imagemagick
  iproute2 socat procps python3 python3-websocket coreutils nftables curl chromium
  librsvg2-bin dpkg-dev lintian debootstrap desktop-file-utils appstream man-db bash-completion
  systemd
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
