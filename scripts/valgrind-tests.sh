#!/usr/bin/env bash
# Runs every unit test binary of a normal (uninstrumented) build under valgrind's memcheck, and
# the fuzz targets' replay binaries over their seeds and regression inputs when the build has
# them. Any memcheck error or definite leak fails the script.
#
#   scripts/valgrind-tests.sh              # the default preset's folder, build/
#   scripts/valgrind-tests.sh build-other  # another folder (configured RelWithDebInfo if new)
set -euo pipefail
cd "$(dirname "$0")/.."

build="${1:-build}"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build"

# The fault-injection binary and the dictionary tests replace operator new in the executable:
# valgrind must leave those replacements in place (nouserintercepts) and watch malloc below them.
valgrind_args=(--quiet --error-exitcode=1 --leak-check=full --show-leak-kinds=definite,indirect
               --errors-for-leak-kinds=definite,indirect --num-callers=30
               --soname-synonyms=somalloc=nouserintercepts
               --suppressions=scripts/valgrind.supp)

passed=0
failed=0
run() {
  local name="$1"
  shift
  local start=$SECONDS
  if valgrind "${valgrind_args[@]}" "$@" > "$log" 2>&1; then
    passed=$((passed + 1))
    echo "ok   $name ($((SECONDS - start)) s)"
  else
    failed=$((failed + 1))
    echo "FAIL $name ($((SECONDS - start)) s)"
    grep -E '^==[0-9]+==|FAILED|Failure' "$log" | head -60 || true
  fi
}

log="$(mktemp)"
trap 'rm -f "$log"' EXIT
total=$SECONDS
while IFS= read -r binary; do
  run "$(basename "$binary")" "$binary"
done < <(find "$build" -type f -perm -u+x -name 'test_*' | sort)
while IFS= read -r binary; do
  target="$(basename "$binary")"
  target="${target#fuzz_}"
  inputs=(fuzz/corpus/"$target")
  [ -d fuzz/regressions/"$target" ] && inputs+=(fuzz/regressions/"$target")
  run "fuzz_$target (replay)" "$binary" "${inputs[@]}"
done < <(find "$build" -type f -perm -u+x -name 'fuzz_*' | sort)
echo "valgrind took $((SECONDS - total)) s"
echo "valgrind: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
