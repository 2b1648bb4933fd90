#!/usr/bin/env bash
# Installs, with apt-get, the Debian 12 packages the build needs and the
# machine lacks. Run as root (or with sudo available). Usage:
#   scripts/install-deps.sh native    compiler, CMake, Ninja, GoogleTest, Python
#   scripts/install-deps.sh all       also clang with its sanitizer and fuzzer runtime,
#                                     clang-format, Google Benchmark, valgrind
#                                     (the instruction counts), mingw-w64, wine,
#                                     zip, procps (pgrep) and a decimal-comma locale
set -euo pipefail
want=(g++ cmake ninja-build libgtest-dev python3)
if [[ "${1:-native}" == all ]]; then
  want+=(clang libclang-rt-14-dev clang-format libbenchmark-dev valgrind g++-mingw-w64-x86-64-win32 mingw-w64-tools
         wine wine64 zip unzip locales procps)
fi
missing=()
for p in "${want[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
sudo=""
[[ $(id -u) -ne 0 ]] && sudo="sudo"
if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
if [[ "${1:-native}" == all ]] && ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  # A locale with a decimal comma, for the test that the ini reader ignores it.
  $sudo sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  $sudo locale-gen >/dev/null
fi
