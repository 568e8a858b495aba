#!/usr/bin/env bash
# Builds the program and starts it in a folder of sample dictionaries of its own, so that
# drilling them (which writes their statistics) leaves the checked-in samples unchanged.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/build.sh"
mkdir -p "$root/build/dictionaries"
cp -n "$root"/dictionaries/*.slv "$root/build/dictionaries/"
cd "$root/build/dictionaries"
exec "$root/build/merko"
