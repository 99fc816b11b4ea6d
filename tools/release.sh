#!/usr/bin/env bash
# Makes the release a player installs, from a fresh clone: builds in Release, packs
# build/release/Ostrevane-<version>-win64.zip and, beside it, the symbols zip, then extracts
# the zip into an empty game folder and runs it there under Wine before calling it done; then
# the same for the Linux command, build/release-linux/Ostrevane-<version>-linux-x86_64.tar.gz,
# run natively from an empty folder.
# The version is the one in project() in CMakeLists.txt; CHANGELOG.md's newest entry must
# name it.
# Usage: tools/release.sh
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh
cmake --workflow --preset release
cmake --workflow --preset release-linux

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/release/CMakeCache.txt)
zip=build/release/Ostrevane-$version-win64.zip
archive=build/release-linux/Ostrevane-$version-linux-x86_64.tar.gz
echo
echo "Release $version, each tested from an empty folder:"
for packed in "$zip" "$archive"; do
    cmake -E tar tvf "$packed"
    echo "$packed"
done
echo "${zip%.zip}-symbols.zip"
echo "${archive%.tar.gz}-symbols.tar.gz"
echo "(keep the symbols: they read a player's crash address)"
