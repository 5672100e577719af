#!/usr/bin/env bash
# Sets up everything and runs every test: the native suites, the same suites under
# AddressSanitizer+UndefinedBehaviorSanitizer and under ThreadSanitizer, the Windows build's
# suites under Wine (platform, user interface and end to end), a short fuzz run, the packages
# with their install tests, and a formatting check. Ends with one line: "Total: N passed, N failed".
#
#   bash scripts/test-all.sh            everything
#   AXISTUNE_FUZZ_SECONDS=10 bash ...   shorter fuzz run
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/install-deps.sh || { echo "Could not install the build dependencies." >&2; exit 1; }

jobs=$(nproc 2>/dev/null || echo 2)
total_passed=0
total_failed=0
summary=()
logs="$root/build/test-logs"
mkdir -p "$logs"

note() { printf '\n==== %s ====\n' "$*"; }

# Adds a CTest run's counts to the totals, from its closing "N% tests passed, N tests failed
# out of N" line.
count_ctest() {
  local label=$1 log=$2 line failed all
  line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  if [ -z "$line" ]; then
    total_failed=$((total_failed + 1))
    summary+=("$label: no test summary (build or configure failed)")
    return
  fi
  failed=$(sed -E 's/.* ([0-9]+) tests? failed out of.*/\1/' <<<"$line")
  all=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
  total_passed=$((total_passed + all - failed))
  total_failed=$((total_failed + failed))
  summary+=("$label: $((all - failed)) passed, $failed failed")
}

run_preset() {
  local preset=$1 parallel=$2 log="$logs/$1.log"
  note "$preset: configure, build, test"
  {
    cmake --preset "$preset" &&
      cmake --build --preset "$preset" -j "$jobs" &&
      ctest --preset "$preset" -j "$parallel"
  } 2>&1 | tee "$log"
  count_ctest "$preset" "$log"
}

run_preset native "$jobs"
run_preset win64 1
run_preset native-asan "$jobs"
run_preset native-tsan 1

if [ -x scripts/run-fuzz.sh ] || [ -f scripts/run-fuzz.sh ]; then
  note "fuzzing"
  if bash scripts/run-fuzz.sh "${AXISTUNE_FUZZ_SECONDS:-30}" 2>&1 | tee "$logs/fuzz.log"; then
    n=$(grep -c '^\[ reliability \] fuzz ' "$logs/fuzz.log" || true)
    total_passed=$((total_passed + n))
    summary+=("fuzz: $n targets without a crash")
  else
    total_failed=$((total_failed + 1))
    summary+=("fuzz: a target crashed or could not be built (see $logs/fuzz.log)")
  fi
fi

note "packages"
# Builds the installer, the zip and the .deb files and tests what a user installs.
bash scripts/test-packages.sh 2>&1 | tee "$logs/packages-stage.log"
line=$(grep -E '^Packages: [0-9]+ passed, [0-9]+ failed' "$logs/packages-stage.log" | tail -n 1)
if [ -n "$line" ]; then
  p=$(sed -E 's/^Packages: ([0-9]+) passed.*/\1/' <<<"$line")
  f=$(sed -E 's/.* ([0-9]+) failed.*/\1/' <<<"$line")
  total_passed=$((total_passed + p))
  total_failed=$((total_failed + f))
  summary+=("packages: $p passed, $f failed")
else
  total_failed=$((total_failed + 1))
  summary+=("packages: no summary (see $logs/packages-stage.log)")
fi

note "formatting"
unformatted=$(git ls-files 'src/*.cpp' 'src/*.h' 'apps/*.cpp' 'apps/*.h' 'sim/*.cpp' 'sim/*.h' 'tests/*.cpp' 'tests/*.h' \
  'bench/*.cpp' 'bench/*.h' | xargs -r clang-format --dry-run 2>&1 | grep -c 'warning:' || true)
if [ "$unformatted" -eq 0 ]; then
  total_passed=$((total_passed + 1))
  summary+=("format: every file follows .clang-format")
else
  total_failed=$((total_failed + 1))
  summary+=("format: $unformatted places differ from .clang-format (run clang-format -i)")
fi

note "reliability summary"
grep -h '^\[ reliability \]' "$logs"/native.log build/native/Testing/Temporary/LastTest.log \
  "$logs/fuzz.log" 2>/dev/null | sort -u || true

note "summary"
printf '%s\n' "${summary[@]}"
echo "Total: $total_passed passed, $total_failed failed"
[ "$total_failed" -eq 0 ]
