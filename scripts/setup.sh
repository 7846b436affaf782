#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build, run and test Tellwick.
# Idempotent and quiet: packages already present are not fetched again.
set -euo pipefail

packages=(
    cmake ninja-build
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    wine wine64
    xvfb xauth x11-utils imagemagick
    locales fonts-wqy-microhei fonts-wine
    googletest
    zip unzip
    osslsigncode openssl
    clang-format clang-tidy
    clang libfuzzer-14-dev ntfs-3g python3
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)

if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    "${sudo_cmd[@]}" apt-get update -qq
    "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The tool's users mostly run a Chinese system: tests and the demo run with code page 936.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
    echo "setup: generating zh_CN.UTF-8"
    "${sudo_cmd[@]}" sed -i 's/^# *\(zh_CN.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
    "${sudo_cmd[@]}" locale-gen >/dev/null
fi

# Root passes every permission check, under Wine as anywhere: the tests that need a denial run as
# this ordinary user, in a Wine prefix of its own (tests/run_unprivileged.sh).
if [ "$(id -u)" -eq 0 ] && ! id tellwick-test >/dev/null 2>&1; then
    echo "setup: creating the test user tellwick-test"
    useradd --create-home --shell /usr/sbin/nologin tellwick-test
fi
