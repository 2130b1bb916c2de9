#!/usr/bin/env bash
# Installs, with apt-get, what building, testing and benchmarking need on Debian 12; skips what
# is already there. Run as root.
set -euo pipefail
packages=(cmake ninja-build g++ clang clang-format clang-tidy libclang-rt-14-dev libgtest-dev
          libgmock-dev libbenchmark-dev python3 nkf hyperfine time man-db pkg-config valgrind
          icu-devtools git)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
