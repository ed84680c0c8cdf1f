#!/usr/bin/env bash
# make bench: prints start-up time and peak memory of zel-orvalis against a
# minimal Qt window, under a private Xvfb server, and the cost of one reading.
# Usage: scripts/bench.sh BUILD_DIR [RUNS]
set -euo pipefail
bin=$(realpath "$1/bin")
runs=${2:-31}
tmp=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$tmp"' EXIT
export XDG_RUNTIME_DIR="$tmp/run" XDG_CONFIG_HOME="$tmp/config"
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM QT_SCALE_FACTOR WAYLAND_DISPLAY

Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 -nolisten tcp 3>"$tmp/display" 2>/dev/null &
for _ in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.05; done
export DISPLAY=":$(head -n1 "$tmp/display")"

echo "Start-up: exec to the first window mapped (no window manager), $(nproc) cores"
"$bin/startup_bench" "$runs" "$bin/zel-orvalis" "$bin/minimal_window"
echo
echo "One reading (QBENCHMARK, offscreen):"
QT_QPA_PLATFORM=offscreen "$bin/bench_reading" 2>/dev/null | grep -A1 'RESULT'
