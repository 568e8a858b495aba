#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need; safe to run again.
# With the argument "sanitize" also clang with its sanitizer and fuzzer runtimes; with
# "package" the desktop file, AppStream and package checkers and dpkg-shlibdeps.
set -euo pipefail

packages=(
    cmake g++ make pkg-config
    # Qt Widgets, Qt's own dialogs in Czech, and Qt SQL's SQLite driver for the answer history
    qt6-base-dev qt6-translations-l10n libgl-dev libqt6sql6-sqlite
    # Qt Linguist's lupdate and lrelease for the translations
    qt6-tools-dev qt6-l10n-tools
    # Qt Charts for the progress window (its CMake files need Qt OpenGL)
    qt6-charts-dev libqt6opengl6-dev
    # Qt TextToSpeech with speech-dispatcher and espeak-ng voices, to say the words
    qt6-speech-dev qt6-declarative-dev qt6-speech-speechd-plugin
    speech-dispatcher speech-dispatcher-espeak-ng
    # GoogleTest and Google Benchmark; XCB for the start-up benchmark's time to the window's map
    libgtest-dev libgmock-dev libbenchmark-dev libxcb1-dev
    # a font that the offscreen window tests draw with
    fonts-dejavu-core
    # two real sync tools' instances for the synchronised folder's tests (loopback only)
    syncthing
    # Anki packages (QuaZip, libzstd) and SQLite's own interface for writes of many answers
    libquazip1-qt6-dev libzstd-dev libsqlite3-dev
    # NLopt's bounded L-BFGS, which fits the memory model's weights to the learner's answers
    libnlopt-dev
)
if [ "${1:-}" = sanitize ]; then
    packages+=(clang libclang-rt-14-dev llvm)
fi
if [ "${1:-}" = package ]; then
    packages+=(desktop-file-utils appstream shared-mime-info lintian dpkg-dev file)
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo
export DEBIAN_FRONTEND=noninteractive
echo "Installing: ${missing[*]}"
if ! $sudo apt-get install -y --no-install-recommends "${missing[@]}"; then
    $sudo apt-get update
    $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
