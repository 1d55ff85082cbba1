#!/usr/bin/env bash
# Runs every test of both builds on this machine, installing what it lacks:
#   1. bootstrap (Debian packages, cross-built libraries);
#   2. native build and tests;
#   3. native tests again under address and undefined-behaviour sanitizers;
#   4. short bounded runs of the fuzz targets (clang, libFuzzer);
#   5. Windows build and its tests under Wine.
# Stops at the first failure with a non-zero exit code.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/bootstrap.sh >/dev/null

step() { printf '\n=== %s\n' "$*"; }

step "native build and tests"
cmake --workflow --preset native

step "native tests under sanitizers"
cmake --workflow --preset native-asan

if [ -d fuzz ]; then
  step "fuzz targets (bounded runs)"
  scripts/fuzz.sh
fi

step "windows build and tests under Wine"
cmake --workflow --preset windows
