#!/usr/bin/env bash
# Installs the reference optimiser (the npm package @open-spaced-repetition/binding) into a
# folder of its own, for the memory model's fit benchmark:
#   scripts/fsrs-reference.sh [folder]    (default: build/fsrs-reference)
#   build/benchmarks/merko_fsrs_fit_benchmark 10 --reference build/fsrs-reference
set -euo pipefail
folder="${1:-build/fsrs-reference}"
mkdir -p "$folder"
cd "$folder"
[ -f package.json ] || npm init -y >/dev/null
npm install --no-audit --no-fund @open-spaced-repetition/binding@0.5.0
