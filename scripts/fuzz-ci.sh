#!/usr/bin/env bash
# Builds the libFuzzer targets (preset `fuzz`: clang, AddressSanitizer, UBSan) and runs each for
# a bounded time on a copy of its seed corpus and regression inputs, so the repository is never
# written. A crash or a broken property fails the script and prints the reproducer's bytes.
#
#   scripts/fuzz-ci.sh                  # 60 s per target
#   FUZZ_SECONDS=1800 scripts/fuzz-ci.sh
#   FUZZ_TARGETS="string" FUZZ_SECONDS=300 scripts/fuzz-ci.sh
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${FUZZ_SECONDS:-60}"
targets="${FUZZ_TARGETS:-codes string conf}"

cmake --workflow --preset fuzz

work="$(mktemp -d "${TMPDIR:-/tmp}/mojiwa-fuzz.XXXXXX")"
trap 'rm -rf "$work"' EXIT

passed=0
failed=0
for target in $targets; do
  dict=fuzz/dict/jis.dict
  [ "$target" = conf ] && dict=fuzz/dict/conf.dict
  mkdir -p "$work/$target/corpus" "$work/$target/crashes"
  cp fuzz/corpus/"$target"/* "$work/$target/corpus/"
  if [ -d fuzz/regressions/"$target" ]; then
    cp fuzz/regressions/"$target"/* "$work/$target/corpus/"
  fi
  echo "== fuzz $target for ${seconds}s"
  set +e
  build-fuzz/fuzz/fuzz_"$target" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 \
    -dict="$dict" -print_final_stats=1 -artifact_prefix="$work/$target/crashes/" \
    "$work/$target/corpus" > "$work/$target/log" 2>&1
  rc=$?
  set -e
  grep -E '^#[0-9]+[[:space:]]+(INITED|DONE)|^stat::(number_of_executed_units|average_exec_per_sec)' \
    "$work/$target/log" || true
  if [ "$rc" -eq 0 ]; then
    passed=$((passed + 1))
    continue
  fi
  failed=$((failed + 1))
  echo "!! fuzz $target failed (exit $rc)"
  grep -E -A3 'broken:|ERROR: (AddressSanitizer|UndefinedBehaviorSanitizer|libFuzzer)|runtime error' \
    "$work/$target/log" | head -40 || true
  for crash in "$work/$target/crashes"/*; do
    [ -f "$crash" ] || continue
    echo "reproducer $(basename "$crash") ($(stat -c %s "$crash") bytes), base64:"
    base64 -w 0 "$crash"
    echo
  done
done

echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
