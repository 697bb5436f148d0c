#!/usr/bin/env bash
# An HFS+ volume of 200,000 empty files in 2,000 folders, built with the test
# suite's volume builder (bench_make_hfsplus_volume, kept in $BENCH_CACHE,
# build/bench-cache by default), then the median peak memory of 5 runs of
# `zorv analyze` and `zorv analyze -f` on it. ZORV names another zorv binary
# to measure.
set -euo pipefail
cd "$(dirname "$0")/.."

[ -x /usr/bin/time ] || {
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  $sudo apt-get install -y -qq time >/dev/null
}

build=${BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja >/dev/null
targets=(bench_make_hfsplus_volume)
[ -n "${ZORV:-}" ] || targets+=(zorv)
cmake --build "$build" --target "${targets[@]}" >/dev/null
zorv=$(realpath "${ZORV:-$build/zorv}")
cache=$(realpath -m "${BENCH_CACHE:-$build/bench-cache}")
mkdir -p "$cache"
runs=5

volume="$cache/many-files.hfsplus"
if [ ! -f "$volume" ]; then
  "$build/bench/bench_make_hfsplus_volume" "$volume.partial" 2000 100
  mv "$volume.partial" "$volume"
fi

# The median of the peak resident sizes (kilobytes) and wall times (ms).
measure() {
  local peaks=() times=() start end
  for _ in $(seq "$runs"); do
    start=$(date +%s%N)
    peaks+=("$(/usr/bin/time -f %M "$zorv" "$@" 2>&1 >/dev/null | tail -1)")
    end=$(date +%s%N)
    times+=("$(((end - start) / 1000000))")
  done
  local middle=$(((runs + 1) / 2))
  echo "$(printf '%s\n' "${times[@]}" | sort -n | sed -n "${middle}p") $(printf '%s\n' "${peaks[@]}" | sort -n | sed -n "${middle}p")"
}

echo "volume: $volume, $(du -m --apparent-size "$volume" | cut -f1) MB, 200,000 files in 2,000 folders; medians of $runs runs"
echo
printf '%-22s %10s %12s\n' "command" "wall time" "peak memory"
for flag in "" "-f"; do
  read -r time peak < <(measure analyze $flag "$volume")
  awk -v name="zorv analyze $flag" -v time="$time" -v peak="$peak" \
    'BEGIN { printf "%-22s %7d ms %9.1f MB\n", name, time, peak / 1024 }'
done
