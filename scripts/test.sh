#!/usr/bin/env bash
# Installs what is missing, builds Corvell and runs every test suite.
# Exits non-zero if the build or any test fails.
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=install_packages.sh
source "$repo/scripts/install_packages.sh"
corvell_install_packages "${CORVELL_BUILD_PACKAGES[@]}"

build="$repo/build"
cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j2
ctest --test-dir "$build" --output-on-failure -j2
