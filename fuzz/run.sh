#!/usr/bin/env bash
# Runs every fuzz target in turn, one process each (-jobs=1: the machine is
# shared), for a bounded time, starting from the committed seed corpus.
# Prints each target's execution count; exits non-zero on any finding.
#   fuzz/run.sh [seconds-per-target] [extra libFuzzer flags...]
set -uo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"; shift || true
"$repo/fuzz/build.sh" || exit 1
out="$repo/build/fuzz"
failed=0 passed=0
for target in is_request_complete process_request outbuf_ops mime_lookup; do
  # New inputs go to a working corpus; the committed seeds stay as they are.
  work="$out/corpus/$target"
  mkdir -p "$work" "$out/findings/$target"
  dict=()
  [ -f "$repo/fuzz/dict/$target.dict" ] && dict=(-dict="$repo/fuzz/dict/$target.dict")
  log="$out/$target.log"
  (cd "$out/findings/$target" &&
   "$out/$target" "${dict[@]}" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
     "$@" "$work" "$repo/fuzz/corpus/$target") >"$log" 2>&1
  status=$?
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -1)
  rate=$(grep -o 'exec/s: *[0-9]*' "$log" | tail -1 | grep -o '[0-9]*$')
  took=$(grep -o 'Done [0-9]* runs in [0-9]* second' "$log" | grep -o 'in [0-9]*' | grep -o '[0-9]*')
  if [ $status -eq 0 ]; then
    passed=$((passed + 1))
    echo "$target: ${runs:-?} executions in ${took:-$seconds}s (${rate:-?}/s), no finding"
  else
    failed=$((failed + 1))
    echo "$target: FINDING after ${runs:-?} executions, see $log and $out/findings/$target"
  fi
done
echo "$passed passed, $failed failed"
[ $failed -eq 0 ]
