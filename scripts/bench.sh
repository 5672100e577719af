#!/usr/bin/env bash
# Builds the benchmarks with optimisation and prints their figures: latency from a request to the
# wire and from a reply to its event, the handshake against the floor of its ticks, the idle cost
# of a connected engine, parser and reassembler throughput, memory, the size of axistune.exe, and
# axistune-cli's backup and restore against the floors of their exchanges, and the Linux window's
# start, memory and idle cost (under Xvfb).
# Benchmarks print figures; nothing here fails on a timing.
#
#   bash scripts/bench.sh            full run (a few minutes, most of it real heartbeat time)
#   bash scripts/bench.sh --quick    fewer samples, to check that everything runs
#   bash scripts/bench.sh --no-win64 skip the Windows build
#   bash scripts/bench.sh --no-qt    skip the Linux window's figures
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${AXISTUNE_BENCH_DIR:-$root/build/bench}
build_win64=${AXISTUNE_BENCH_WIN64_DIR:-$root/build/bench-win64}
jobs=${AXISTUNE_BENCH_JOBS:-2}

quick=0
win64=1
qt=1
for arg in "$@"; do
  case "$arg" in
    --quick) quick=1 ;;
    --no-win64) win64=0 ;;
    --no-qt) qt=0 ;;
    *) echo "usage: bash scripts/bench.sh [--quick] [--no-win64] [--no-qt]" >&2; exit 2 ;;
  esac
done

log() { printf '%s\n' "$*"; }

# The configure and build logs sit beside the build folders, so their parent must exist first
# (a fresh clone has no build/ yet).
mkdir -p "$(dirname "$build")" "$(dirname "$build_win64")"

log "== Building the benchmarks (native, Release) in $build"
cmake --preset native -B "$build" -DCMAKE_BUILD_TYPE=Release -DAXISTUNE_BUILD_TESTS=OFF \
  > "$build.configure.log" 2>&1 || { cat "$build.configure.log"; exit 1; }
cmake --build "$build" -j"$jobs" --target axistune_engine_bench axistune_micro_bench \
  axistune_cli_bench
if [ "$qt" -eq 1 ]; then
  # The window, dxsim and the X watcher exist only where Qt 6 and libxcb are installed.
  cmake --build "$build" -j"$jobs" --target axistune_qt dxsim axistune_window_shown \
    > "$build.qt-build.log" 2>&1 || log "   the window's build failed; see $build.qt-build.log"
fi

exe_size=""
if [ "$win64" -eq 1 ]; then
  if command -v x86_64-w64-mingw32-g++ > /dev/null 2>&1 ||
     command -v x86_64-w64-mingw32-g++-posix > /dev/null 2>&1; then
    log "== Building axistune.exe (win64, Release) in $build_win64"
    if cmake --preset win64 -B "$build_win64" -DAXISTUNE_BUILD_TESTS=OFF \
         > "$build_win64.configure.log" 2>&1 &&
       cmake --build "$build_win64" -j"$jobs" --target axistune > "$build_win64.build.log" 2>&1; then
      exe=$(find "$build_win64" -name axistune.exe -type f | head -n 1)
      if [ -n "$exe" ]; then
        stripped=$(mktemp)
        x86_64-w64-mingw32-strip -o "$stripped" "$exe" 2> /dev/null || cp "$exe" "$stripped"
        exe_size="$(stat -c %s "$exe") bytes as built, $(stat -c %s "$stripped") bytes stripped"
        rm -f "$stripped"
      fi
    else
      log "   the win64 build failed; see $build_win64.build.log"
    fi
  else
    log "== No MinGW-w64 toolchain: axistune.exe not built"
  fi
fi

log ""
log "== Machine"
log "   cores:    $(nproc)"
log "   cpu:      $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')"
log "   kernel:   $(uname -sr)"
log "   compiler: $(g++ --version | head -n 1)"
log "   load:     $(cut -d' ' -f1-3 /proc/loadavg) (1, 5, 15 min)"

log ""
log "== Parser and reassembler throughput (Google Benchmark)"
micro_args=(--benchmark_color=false)
if [ "$quick" -eq 1 ]; then
  micro_args+=(--benchmark_min_time=0.05)
fi
micro_out="$build/micro-bench.txt"
"$build/bench/axistune_micro_bench" "${micro_args[@]}" | tee "$micro_out"

log ""
log "== Whole engine over a pseudo-terminal"
engine_args=()
if [ "$quick" -eq 1 ]; then
  engine_args=(--requests 1000 --connects 2 --idle-seconds 3)
fi
"$build/bench/axistune_engine_bench" "${engine_args[@]}"

log "5. throughput in memory (one core), against the 115200-baud line:"
sed -n '/^Throughput against/,$p' "$micro_out" | tail -n +2
if [ -n "$exe_size" ]; then
  log "6. axistune.exe (win64 Release, static): $exe_size"
fi

log ""
log "== axistune-cli from process start to exit, line paced at its rate"
cli_args=()
if [ "$quick" -eq 1 ]; then
  cli_args=(--backups 2 --restores 1)
fi
"$build/bench/axistune_cli_bench" "${cli_args[@]}"
log "   load after the run: $(cut -d' ' -f1-3 /proc/loadavg) (1, 5, 15 min)"

if [ "$qt" -eq 1 ]; then
  log ""
  log "== axistune (Linux window) under Xvfb: start, memory, idle cost"
  qt_args=()
  if [ "$quick" -eq 1 ]; then
    qt_args=(--starts 2 --idle-seconds 5)
  fi
  bash "$root/bench/qt_figures.sh" "$build" "${qt_args[@]}"
fi
