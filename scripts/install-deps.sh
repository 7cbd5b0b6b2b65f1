#!/usr/bin/env bash
# Installs the Debian packages Korvina needs to build, run and test.
# Only missing packages are installed; when everything is present the script says nothing.
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev
  qt6-webengine-dev libqt6webenginecore6-bin
  libsqlcipher-dev sqlcipher
  libpq-dev postgresql
  libgmime-3.0-dev
  libcurl4-openssl-dev
  libfreexl-dev
  libxlsxwriter-dev python3-aiosmtpd msmtp openssl
  xvfb xdotool
  poppler-utils
  libqt6svg6
  desktop-file-utils appstream dpkg-dev file
  libssl-dev
  librsvg2-bin
  man-db
  lintian
  x11-apps
  netpbm
  dovecot-imapd
  zlib1g-dev
  python3-openpyxl
  libreoffice-calc-nogui
)

missing=()
for package in "${PACKAGES[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  if [[ "$status" != "install ok installed" ]]; then
    missing+=("$package")
  fi
done

if [[ ${#missing[@]} -eq 0 ]]; then
  exit 0
fi

if [[ $(id -u) -eq 0 ]]; then
  as_root=()
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo)
else
  echo "install-deps: missing packages: ${missing[*]}" >&2
  echo "install-deps: run this script as root (or install sudo) to install them." >&2
  exit 1
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
