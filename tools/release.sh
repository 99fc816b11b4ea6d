#!/usr/bin/env bash
# Makes the release a player installs, from a fresh clone: builds in Release, packs
# build/release/Ostrevane-<version>-win64.zip and, beside it, the symbols zip, then extracts
# the zip into an empty game folder and runs it there under Wine before calling it done.
# The version is the one in project() in CMakeLists.txt; CHANGELOG.md's newest entry must
# name it.
# Usage: tools/release.sh
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh
cmake --workflow --preset release

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/release/CMakeCache.txt)
zip=build/release/Ostrevane-$version-win64.zip
echo
echo "Release $version, tested from an empty game folder:"
cmake -E tar tvf "$zip"
echo "$zip"
echo "${zip%.zip}-symbols.zip (keep it: it reads a player's crash offset)"
