#!/usr/bin/env bash
# Installs what is missing, builds Corvell and runs every test suite, then
# installs into a scratch folder and builds the Debian package to check both.
# Exits non-zero if the build or any test fails.
#
#   scripts/test.sh              build/ , the normal build
#   scripts/test.sh --sanitize   build-sanitize/ , the same suites under
#                                AddressSanitizer and UndefinedBehaviorSanitizer
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=install_packages.sh
source "$repo/scripts/install_packages.sh"
corvell_install_packages "${CORVELL_BUILD_PACKAGES[@]}"

sanitize=0
case "${1:-}" in
    "") ;;
    --sanitize) sanitize=1 ;;
    *) echo "usage: $0 [--sanitize]" >&2; exit 2 ;;
esac

if ((sanitize)); then
    build="$repo/build-sanitize"
    cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVELL_SANITIZE=ON
    cmake --build "$build" -j2
    # Leaks are reported too, except those of libraries we do not own
    # (tests/support/lsan_suppressions.txt); a test that trips any check fails.
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:halt_on_error=1"
    export LSAN_OPTIONS="suppressions=$repo/tests/support/lsan_suppressions.txt:print_suppressions=0"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
    ctest --test-dir "$build" --output-on-failure -j2
    exit 0
fi

build="$repo/build"
cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j2
ctest --test-dir "$build" --output-on-failure -j2
"$repo/scripts/check_install.sh" "$build"
