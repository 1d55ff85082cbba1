#!/usr/bin/env bash
# Payload benchmark (not a test): for a 16 MB and a 256 MB archive generated
# here (never committed), times `bzip2 -dc`, `avpack verify` and
# `avpack extract` on the same archive, prints each time and its ratio to
# `bzip2 -dc`, and the peak memory (maximum resident set) of each command.
# Goals: verify within 1.1 x bzip2 -dc, extract within 2.3 x, and the peak
# memory of extract not growing with the archive's size.
#
#   bench/payload_bench.sh [SIZE_MB ...]     default: 16 256
# Environment: AVPACK (default build/native/bin/avpack), AV_BENCH_RUNS (best
# of N runs, default 3), TMPDIR (where the archives and files go).
set -euo pipefail
cd "$(dirname "$0")/.."
avpack="${AVPACK:-build/native/bin/avpack}"
runs="${AV_BENCH_RUNS:-3}"
[ -x "$avpack" ] || { echo "build avpack first: cmake --build --preset native" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "needs /usr/bin/time (Debian package time)" >&2; exit 1; }
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(16 256)

work="$(mktemp -d "${TMPDIR:-/tmp}/av-bench.XXXXXX")"
trap 'rm -rf "$work"' EXIT

# Files shaped like a product: a few large ones and many small ones, text-like
# content that bzip2 compresses about 3:1 (like the shipped payload).
generate() {
  python3 - "$1" "$2" <<'PY'
import os, random, sys
total = int(sys.argv[1]) * 1024 * 1024
folder = sys.argv[2]
rng = random.Random(6031)
words = [''.join(rng.choice('abcdefghijklmnopqrstuvwxyz') for _ in range(rng.randint(2, 9))) for _ in range(4000)]
def chunk(n):
    out = bytearray()
    while len(out) < n:
        line = ' '.join(rng.choice(words) for _ in range(12)) + ' %08x %d\n' % (rng.getrandbits(32), rng.getrandbits(20))
        out += line.encode()
    return bytes(out[:n])
sizes = [total // 4, total // 4, total // 8] + [total // 64] * 20
sizes.append(total - sum(sizes))
with open(os.path.join(folder, 'manifest.txt'), 'w') as manifest:
    for i, size in enumerate(sizes):
        name = 'file%02d.bin' % i
        with open(os.path.join(folder, name), 'wb') as f:
            left = size
            while left > 0:
                n = min(left, 1 << 20)
                f.write(chunk(n))
                left -= n
        kind = 'data_file' if i % 5 == 0 else 'language_module'
        dest = '<CommonData>\\Arvell & Divizere\\Korvane' if kind == 'data_file' else '<InstallPath>\\Lang'
        manifest.write('%s\t%s\t%s\n' % (name, dest, kind))
PY
}

# One run: "cpu_seconds wall_seconds peak_KiB". The ratios use processor
# time (user + system), which a busy shared machine disturbs far less than
# wall time; both are printed.
measure() {
  /usr/bin/time -o "$work/time.txt" -f '%U %S %e %M' "$@" >/dev/null 2>&1
  awk 'END{printf "%.2f %s %s\n", $1 + $2, $3, $4}' "$work/time.txt"
}

# Keeps the run with the least processor time.
better() { [ -z "$2" ] || awk -v a="${1%% *}" -v b="${2%% *}" 'BEGIN{exit !(a<b)}'; }

row() { printf '%-8s %-16s %8s %8s %8s %12s\n' "$@"; }
row archive command cpu_s wall_s ratio peak_KiB
for mb in "${sizes[@]}"; do
  dir="$work/$mb"
  mkdir -p "$dir/src"
  generate "$mb" "$dir/src"
  "$avpack" pack "$dir/src/manifest.txt" "$dir/payload.bz2"
  rm -f "$dir"/src/*.bin
  compressed=$(stat -c %s "$dir/payload.bz2")

  # The three commands take turns in each round, so that a change in the
  # machine's load touches all of them alike; the best round of each counts.
  b_bzip="" b_verify="" b_extract=""
  for _ in $(seq "$runs"); do
    r="$(measure bzip2 -dc "$dir/payload.bz2")"; better "$r" "$b_bzip" && b_bzip="$r"
    r="$(measure "$avpack" verify "$dir/payload.bz2")"; better "$r" "$b_verify" && b_verify="$r"
    rm -rf "$dir/root"
    r="$(measure "$avpack" extract "$dir/payload.bz2" "$dir/root")"; better "$r" "$b_extract" && b_extract="$r"
  done
  read -r t_bzip w_bzip m_bzip <<<"$b_bzip"
  read -r t_verify w_verify m_verify <<<"$b_verify"
  read -r t_extract w_extract m_extract <<<"$b_extract"
  [ -f "$dir/root/Install/Lang/file01.bin" ] || { echo "extract did not run" >&2; exit 1; }
  rm -rf "$dir/root"

  label="${mb}MB"
  ratio() { awk -v a="$1" -v b="$t_bzip" 'BEGIN{ if (b > 0) printf "%.2f", a / b; else print "n/a" }'; }
  row "$label" "bzip2 -dc" "$t_bzip" "$w_bzip" "1.00" "$m_bzip"
  row "$label" "avpack verify" "$t_verify" "$w_verify" "$(ratio "$t_verify")" "$m_verify"
  row "$label" "avpack extract" "$t_extract" "$w_extract" "$(ratio "$t_extract")" "$m_extract"
  echo "         (compressed $((compressed / 1024)) KiB)"
  rm -f "$dir/payload.bz2"
done
