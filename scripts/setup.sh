#!/usr/bin/env bash
# Installs everything the build, the program and the tests need. Safe to run
# again: it installs only what is missing.
set -euo pipefail
cd "$(dirname "$0")/.."

APT_PACKAGES=(
  build-essential cmake pkg-config curl ca-certificates clang-format clang-tidy
  libasio-dev nlohmann-json3-dev libcurl4-openssl-dev libssl-dev
  googletest libgtest-dev libgmock-dev
  tesseract-ocr tesseract-ocr-nld libtesseract-dev libleptonica-dev imagemagick
  chromium xvfb xauth openssl wrk
  nginx-light  # only for bench/server.sh, which measures our server beside it
  nodejs npm
  g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev libz-mingw-w64-dev wine wine64
)

missing=()
for pkg in "${APT_PACKAGES[@]}"; do
  # node and npm may come from elsewhere on this machine; only ask apt when absent.
  if [[ $pkg == nodejs || $pkg == npm ]] && command -v "${pkg/nodejs/node}" >/dev/null; then continue; fi
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
done
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# npm ci only when the lock file changed since the last install.
if [[ ! -f node_modules/.package-lock.json || package-lock.json -nt node_modules/.package-lock.json ]]; then
  npm ci --no-audit --no-fund
fi
