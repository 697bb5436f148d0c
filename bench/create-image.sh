#!/usr/bin/env bash
# Times creating a 2 GiB zero-filled image the way the image writer does it
# (extend the file, then write the queued blocks) against dd from /dev/zero,
# and reports peak memory of each with /usr/bin/time -v.
set -euo pipefail
cd "$(dirname "$0")/.."

size=$((2 * 1024 * 1024 * 1024))
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

command -v hyperfine >/dev/null || apt-get install -y -qq hyperfine >/dev/null
command -v /usr/bin/time >/dev/null || apt-get install -y -qq time >/dev/null

cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target bench_create_image >/dev/null
tool=build/bench/bench_create_image

hyperfine --warmup 1 --runs 5 \
  "$tool $work/writer.img $size" \
  "dd if=/dev/zero of=$work/dd.img bs=10M count=$((size / 10485760)) status=none && truncate -s $size $work/dd.img"

cmp "$work/writer.img" "$work/dd.img" && echo "identical bytes"

echo "--- peak memory"
/usr/bin/time -v "$tool" "$work/writer.img" "$size" 2>&1 | grep -E 'Maximum resident|Elapsed'
/usr/bin/time -v dd if=/dev/zero of="$work/dd.img" bs=10M count=$((size / 10485760)) status=none 2>&1 | grep -E 'Maximum resident|Elapsed'
