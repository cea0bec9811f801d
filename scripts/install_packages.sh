#!/usr/bin/env bash
# Installs the Debian packages named as arguments that are not installed yet.
# Sourced by run.sh and test.sh, or run directly: scripts/install_packages.sh PKG...
# The package lists run only once ('apt-get update') and only when something
# is missing, so an equipped machine starts at once and needs no network.

# Packages every build and test run needs on Debian 12.
CORVELL_BUILD_PACKAGES=(
    g++ cmake make
    libgtest-dev
    qt6-base-dev qt6-svg-dev libgl-dev
    qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools qt6-translations-l10n
    python3-pyftpdlib
    fonts-liberation
    curl lftp
    libssl-dev python3-openssl
    qtkeychain-qt6-dev libsecret-1-0 gnome-keyring dbus
    desktop-file-utils appstream dpkg-dev file
    libssh-dev openssh-server openssh-client python3-asyncssh
    at-spi2-core python3-pyatspi xvfb xdotool
)

# What scripts/fuzz.sh adds: clang with libFuzzer and the sanitizer runtimes.
CORVELL_FUZZ_PACKAGES=(
    clang libclang-rt-14-dev
)

corvell_missing_packages() {
    local package status
    for package in "$@"; do
        status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
        if [[ "$status" != "install ok installed" ]]; then
            printf '%s\n' "$package"
        fi
    done
}

corvell_install_packages() {
    local missing
    mapfile -t missing < <(corvell_missing_packages "$@")
    if ((${#missing[@]} == 0)); then
        return 0
    fi
    echo "Installing missing packages: ${missing[*]}"
    local sudo=()
    if [[ $(id -u) -ne 0 ]]; then
        if command -v sudo >/dev/null; then
            sudo=(sudo)
        else
            echo "error: packages missing (${missing[*]}) and not running as root" >&2
            return 1
        fi
    fi
    export DEBIAN_FRONTEND=noninteractive
    "${sudo[@]}" apt-get update -q || return 1
    "${sudo[@]}" apt-get install -y -q "${missing[@]}" || return 1
}

if [[ "${BASH_SOURCE[0]}" == "$0" ]]; then
    set -euo pipefail
    if (($# == 0)); then
        set -- "${CORVELL_BUILD_PACKAGES[@]}"
    fi
    corvell_install_packages "$@"
fi
