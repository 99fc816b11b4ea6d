#!/usr/bin/env bash
# Fails when a C++ file differs from what clang-format makes of it. The generated default
# settings text is left as the generator writes it.
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files '*.cpp' '*.h' ':!settings/default_settings_text.cpp' |
    xargs clang-format --dry-run --Werror
echo "format: every C++ file is as clang-format writes it"
