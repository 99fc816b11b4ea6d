#!/usr/bin/env bash
# Runs every test: the native suite against the stand-in, the same suite under
# AddressSanitizer and UndefinedBehaviorSanitizer, the fuzzers for a bounded time, then the
# real Windows plug-in and its companions under Wine, and last the Linux command's release
# archive, built static and run from an empty folder.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
tools/check-format.sh
for preset in linux asan fuzz win64 release-linux; do
    echo "=== $preset ==="
    cmake --workflow --preset "$preset"
done
