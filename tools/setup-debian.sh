#!/usr/bin/env bash
# Installs the Debian 12 packages Quantelo needs to build and test; touches apt only when one is
# missing. Runs as root or through sudo.
set -euo pipefail

packages=(
  # build tools and compilers
  make cmake ninja-build g++ clang
  # the core's cross build for 64-bit ARM, and user-mode QEMU to run its tests
  g++-aarch64-linux-gnu qemu-user
  # clang's sanitizer and libFuzzer runtimes
  libclang-rt-14-dev
  # test and benchmark libraries
  libgtest-dev libgmock-dev libbenchmark-dev
  # drives the calc-probe session test
  python3
  # the windows: Qt 6 with its platform plugins, and a metric-compatible "Arial"
  qt6-base-dev qt6-svg-dev qt6-qpa-plugins fonts-liberation
  # Qt's own texts (buttons, context menus, file dialog) in German
  qt6-translations-l10n
  # real-window tests: an X server, real input events, screenshots
  xvfb xdotool imagemagick
  # reads field texts through the clipboard in the measuring end-to-end test
  xclip
  # a window that reports the clicks it gets, below the about window
  x11-utils
  # the QA record: SQLite through Qt SQL, and SQLite's own header for its online backup
  libqt6sql6-sqlite libsqlite3-dev
  # the team record: PostgreSQL through Qt SQL, libpq to tell a server out of reach, and a
  # PostgreSQL 15 server for the tests' throwaway cluster
  libqt6sql6-psql libpq-dev postgresql-15
  # the protocol's test reads the PDF's text and fonts (pdftotext, pdffonts)
  poppler-utils
  # DICOM images: reading and decoding every transfer syntax
  libgdcm-dev
  libseccomp-dev
  # deflated data sets, walked before the DICOM library reads them
  zlib1g-dev
  # the codecs the DICOM library uses, called directly: JPEG 2000 (also a reduced first picture),
  # JPEG-LS
  libopenjp2-7-dev libcharls-dev
  # the start-up timer watches the X server for the first window
  libx11-dev
  # validators of the desktop entry and the AppStream metainfo
  desktop-file-utils appstream
  # the Debian package: its library dependencies, and the package checker
  dpkg-dev lintian
  # the screen-reader test: the accessibility bus, a private session bus, AT-SPI from Python
  at-spi2-core dbus python3-pyatspi
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -qx 'install ok installed'; then
    missing+=("$package")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo)
else
  echo "setup-debian.sh: installing ${missing[*]} needs root: run as root or install sudo." >&2
  exit 1
fi

echo "Installing: ${missing[*]}"
"${as_root[@]}" apt-get update
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
  apt-get install -y --no-install-recommends "${missing[@]}"
