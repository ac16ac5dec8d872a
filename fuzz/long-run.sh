#!/bin/bash
# Runs every fuzz target of a fuzz build for a given time and prints, per target, the
# executions, the coverage, the peak memory and what was found (crashes, leaks, timeouts,
# out-of-memory inputs).
#   fuzz/long-run.sh BUILD_DIR SECONDS [PARALLEL] [TARGET...]
# Each target keeps its growing corpus in BUILD_DIR/fuzz/long/NAME and its log and findings
# beside it; the seeds of fuzz/corpus/NAME are read as well. Exit status 1 if anything was
# found.
set -u
build=$(cd "$1" && pwd)/fuzz
seconds=$2
parallel=${3:-1}
shift 3 2>/dev/null || shift $#
source_dir=$(cd "$(dirname "$0")" && pwd)
if [ $# -gt 0 ]; then targets=("$@"); else read -r -a targets < <(tr ';' ' ' < "$build/targets"); fi

run_one() {
  local name=$1 out=$build/long/$1
  mkdir -p "$out/corpus" "$out/found"
  rm -f "$out"/found/*
  "$build/fuzz_$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len="$(cat "$build/max_len_$name")" -print_final_stats=1 \
    -artifact_prefix="$out/found/" "$out/corpus" "$source_dir/corpus/$name" \
    > "$out/log" 2>&1
  echo $? > "$out/status"
}
export -f run_one
export build seconds source_dir

echo "fuzzing ${#targets[@]} targets for $seconds s each, $parallel at a time"
printf '%s\n' "${targets[@]}" | xargs -P "$parallel" -I{} bash -c 'run_one {}'

failed=0
printf '%-12s %12s %8s %8s %9s %7s %6s %9s %5s\n' target executions exec/s cov features \
  crashes leaks timeouts oom
for name in "${targets[@]}"; do
  out=$build/long/$name
  last=$(grep -E '^#[0-9]+' "$out/log" | tail -1)
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$out/log")
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$out/log")
  rss=$(sed -n 's/^stat::peak_rss_mb: *//p' "$out/log")
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<< "$last")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<< "$last")
  count() { find "$out/found" -name "$1-*" | wc -l; }
  crashes=$(( $(count crash) + $(count deadly_signal) ))
  leaks=$(count leak)
  timeouts=$(count timeout)
  ooms=$(count oom)
  printf '%-12s %12s %8s %8s %9s %7s %6s %9s %5s  peak RSS %s MB\n' "$name" "${execs:-?}" \
    "${rate:-?}" "${cov:-?}" "${ft:-?}" "$crashes" "$leaks" "$timeouts" "$ooms" "${rss:-?}"
  if [ "$(cat "$out/status")" != 0 ] || [ $((crashes + leaks + timeouts + ooms)) -gt 0 ]; then
    failed=1
    echo "  $name: see $out/log and $out/found" >&2
  fi
done
exit $failed
