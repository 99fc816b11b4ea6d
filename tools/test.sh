#!/usr/bin/env bash
# Runs every test: the native suite against the stand-in, then the real Windows plug-in
# and its companions under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake --workflow --preset linux
cmake --workflow --preset win64
