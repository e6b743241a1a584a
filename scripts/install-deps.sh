#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when missing.
set -euo pipefail
packages=(cmake g++ make libgtest-dev libgmock-dev libbenchmark-dev libhwy-dev libnlopt-cxx-dev nlohmann-json3-dev libmatio-dev pkgconf
          octave liboctave-dev gnuplot-nox clang libclang-rt-14-dev
          python3-dev python3-pybind11 pybind11-dev python3-numpy python3-distributed python3-pytest python3-pandas
          python3-scipy python3-matplotlib python3-setuptools python3-pip python3-venv python3-pil locales chromium)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
