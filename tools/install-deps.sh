#!/usr/bin/env bash
# Installs, from Debian's packages, whatever the build and the tests need and this
# machine lacks. Does nothing when everything is there.
set -euo pipefail

packages=(
    cmake make g++                  # the native build
    googletest libgtest-dev         # tests, native and cross-built from source
    libbenchmark-dev                # the swap benchmark
    libcli11-dev nlohmann-json3-dev # the ostrevane command
    g++-mingw-w64-x86-64            # the Windows plug-in
    wine64 wine                     # running it here
    xvfb x11-utils x11-apps         # the settings window's test and screenshot, headless
    imagemagick                     # the screenshot as a PNG
    clang libclang-rt-14-dev        # fuzzers and sanitizers
    clang-format git                # the format check
)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" ||
        missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
