#!/usr/bin/env bash
# The real qmx41-config against the paced virtual instrument (19200 baud, a
# pseudo-terminal): what its main thread and the whole process spend, and how
# often the main thread wakes, first while the window is idle, then during
# a poll of the operator's measured values with the record file on.
# Run by hand, offscreen:
#   bench/poll_cpu.sh [BUILD_DIR] [IDLE_S] [POLL_S]     (default build 20 60)
# QMX41_SIM names another instrument program (to measure an older build).
# Figures come from /proc: the main thread's run time (schedstat, ns) and its
# voluntary context switches (one a sleep in the event loop, so a wake-up),
# the process's utime+stime; the cycles are the record file's lines.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
idle_s=${2:-20}
poll_s=${3:-60}
work=$(mktemp -d /tmp/qmx41-poll-cpu-XXXXXX)
trap 'kill "$sim" "$app" 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir -p "$work/ports" "$work/run"

"${QMX41_SIM:-$build/src/qmx41-sim}" --ports-dir "$work/ports" --com 1 --control "$work/sim.sock" \
  >"$work/sim.out" 2>&1 &
sim=$!
for _ in $(seq 100); do grep -q ready "$work/sim.out" && break; sleep 0.1; done
printf '[COM_SETTINGS]\nNumber=1\n' >"$work/run/dev.dat"

settle_ms=8000  # the start-up's one-shot timers (Timer10 at 3 s) are over
cat >"$work/script.txt" <<EOF
wait $((settle_ms + idle_s * 1000))
check CheckBox5 on
click BitBtn25
wait $((poll_s * 1000 + 6000))
quit
EOF

QT_QPA_PLATFORM=offscreen "$build/src/qmx41-config" --ports-dir "$work/ports" \
  --workdir "$work/run" --script "$work/script.txt" >"$work/app.out" 2>&1 &
app=$!

# Main thread: run time in ns and voluntary switches; process: CPU ticks.
sample() {
  local ns switches ticks
  ns=$(cut -d' ' -f1 "/proc/$app/task/$app/schedstat")
  switches=$(awk '/^voluntary_ctxt_switches/{print $2}' "/proc/$app/task/$app/status")
  ticks=$(awk '{print $14 + $15}' "/proc/$app/stat")
  local lines=0
  [[ -f "$work/run/izm.txt" ]] && lines=$(wc -l <"$work/run/izm.txt")
  echo "$ns $switches $ticks $lines"
}
hz=$(getconf CLK_TCK)
report() {  # label seconds before after
  read -r ns0 sw0 t0 l0 <<<"$3"
  read -r ns1 sw1 t1 l1 <<<"$4"
  local cycles=$((l1 - l0))
  awk -v label="$1" -v s="$2" -v ns=$((ns1 - ns0)) -v sw=$((sw1 - sw0)) \
    -v ticks=$((t1 - t0)) -v hz="$hz" -v c="$cycles" 'BEGIN {
      printf "%s, %d s: main thread %.1f ms CPU, %d wake-ups (%.2f a second); process %.0f ms CPU",
             label, s, ns / 1e6, sw, sw / s, ticks * 1000 / hz
      if (c > 0) printf "; %d cycles: %.2f ms main thread, %.1f wake-ups a cycle", c, ns / 1e6 / c, sw / c
      printf "\n" }'
}

sleep $((settle_ms / 1000))
a=$(sample)
sleep "$idle_s"
b=$(sample)
sleep 3  # the poll's first cycle
c=$(sample)
sleep "$poll_s"
d=$(sample)
wait "$app" || true
report "idle window" "$idle_s" "$a" "$b"
report "polling" "$poll_s" "$c" "$d"
