#!/usr/bin/env bash
# Builds the Windows plug-in and shows what it is made of.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target Ostrevane
echo "Built build/win64/Ostrevane.asi; it imports:"
x86_64-w64-mingw32-objdump -p build/win64/Ostrevane.asi | grep -E "DLL Name|\?"
