#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the tools need.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail

packages=(
  cmake g++ make pkg-config ninja-build
  qt6-base-dev qt6-base-dev-tools libgl-dev
  # only so that configuring Qt's Gui module does not report it missing
  libxkbcommon-dev
  libplist-dev libplist++-dev
  libicu-dev
  # the Notes database: SQLite, gzip bodies, protobuf messages, locked notes
  libsqlite3-dev zlib1g-dev libprotobuf-dev protobuf-compiler libssl-dev
  # makes rebuilds cheap; the build works without it
  ccache
  libgtest-dev libgmock-dev libbenchmark-dev
  # line and function coverage of the tests (scripts/coverage.sh)
  gcovr
  fonts-dejavu-core
  # read back exported rich-text files in the tests
  file unrtf
  python3
  # translations (lupdate, lrelease), the Debian package and its checks
  qt6-l10n-tools qt6-tools-dev dpkg-dev lintian
  # only for the optional libFuzzer build (NI_BUILD_FUZZERS)
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all packages present"
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends "${missing[@]}"
