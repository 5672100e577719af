#!/usr/bin/env bash
# Builds the libFuzzer targets (CMake preset "fuzz": clang, address and undefined-behaviour
# sanitizers) and runs each for a while, starting from its committed seed corpus.
#
#   scripts/run-fuzz.sh [seconds-per-target]      (default 60)
#
# Environment: FUZZ_BUILD_DIR (default build/fuzz), FUZZ_TARGETS (default: all four),
# FUZZ_JOBS (build parallelism, default 2). Prints one line per target:
#   [ reliability ] fuzz <target>: <executions> executions, 0 crashes
# and exits non-zero when a target finds a crash or an invariant fails; the input is kept
# under the build directory (fuzz-artifacts/<target>/<time>/) and its path is printed.
set -euo pipefail

seconds="${1:-60}"
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -lt 1 ]; then
  echo "usage: $0 [seconds-per-target]" >&2
  exit 2
fi

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${FUZZ_BUILD_DIR:-$root/build/fuzz}"
targets=(${FUZZ_TARGETS:-fuzz_reply_side fuzz_queue fuzz_text fuzz_settings_file})
jobs="${FUZZ_JOBS:-2}"

cmake --preset fuzz -S "$root" -B "$build" >/dev/null
cmake --build "$build" -j "$jobs" --target "${targets[@]}"

work="$(mktemp -d "${TMPDIR:-/tmp}/axistune-fuzz.XXXXXX")"
trap 'rm -rf "$work"' EXIT

stamp="$(date +%Y%m%d-%H%M%S)"
status=0
for target in "${targets[@]}"; do
  exe="$(find "$build/tests/fuzz" -maxdepth 1 -type f -name "$target" -perm -u+x | head -n 1)"
  if [ -z "$exe" ]; then
    echo "[ reliability ] fuzz $target: not built" >&2
    status=1
    continue
  fi
  # A working copy, so that what the fuzzer adds never reaches the committed seeds.
  corpus="$work/$target"
  mkdir -p "$corpus"
  seeds="$root/tests/fuzz/corpus/$target"
  if [ -d "$seeds" ]; then
    cp -r "$seeds/." "$corpus/"
  fi
  artifacts="$build/fuzz-artifacts/$target/$stamp"
  mkdir -p "$artifacts"
  log="$work/$target.log"

  set +e
  ASAN_OPTIONS="detect_leaks=1:abort_on_error=1" \
  UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
    "$exe" -max_total_time="$seconds" -print_final_stats=1 -max_len=512 -timeout=10 \
      -rss_limit_mb=2048 -artifact_prefix="$artifacts/" "$corpus" >"$log" 2>&1
  rc=$?
  set -e

  runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)"
  runs="${runs:-0}"
  crashes="$(find "$artifacts" -type f | wc -l)"
  if [ "$rc" -ne 0 ] || [ "$crashes" -ne 0 ]; then
    [ "$crashes" -eq 0 ] && crashes=1
    echo "[ reliability ] fuzz $target: $runs executions, $crashes crashes"
    grep -E 'ERROR|invariant failed|SUMMARY|Test unit written' "$log" | head -n 20 >&2 || true
    find "$artifacts" -type f -printf 'input kept: %p\n' >&2
    status=1
  else
    echo "[ reliability ] fuzz $target: $runs executions, 0 crashes"
  fi
done
exit "$status"
