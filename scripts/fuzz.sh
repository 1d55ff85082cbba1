#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and gives each a short bounded run
# (AV_FUZZ_SECONDS, default 30), starting from its seed corpus in
# fuzz/corpus/<name>/ when there is one. Exits non-zero on the first crash.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${AV_FUZZ_SECONDS:-30}"
cmake --preset fuzz >/dev/null
shopt -s nullglob
# Only the fuzz targets: the rest of the tree is tested by the other builds.
targets=()
for source in fuzz/*.cpp; do
  name="${source##*/}"
  targets+=("fuzz_${name%.cpp}")
done
[ ${#targets[@]} -gt 0 ] || exit 0
cmake --build --preset fuzz --target "${targets[@]}"
for target in build/fuzz/bin/fuzz_*; do
  name="${target##*/fuzz_}"
  work="build/fuzz/corpus/$name"
  mkdir -p "$work"
  seeds=()
  [ -d "fuzz/corpus/$name" ] && seeds=("fuzz/corpus/$name")
  echo "fuzz: $name for ${seconds}s"
  "$target" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 "$work" "${seeds[@]}" 2>&1 | tail -n 3
  [ "${PIPESTATUS[0]}" -eq 0 ] || { echo "fuzz: $name failed" >&2; exit 1; }
done
