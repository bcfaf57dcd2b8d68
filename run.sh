#!/usr/bin/env bash
# Builds the program and starts it against the virtual instrument:
#   ./run.sh                 operator view
#   ./run.sh --engineering   with the link bar, the engineering pages and the menu
# Any other option is passed on to qmx41-config (--script FILE, --screenshots DIR).
#
# The instrument (qmx41-sim, address 1, 19200 baud, no parity) serves a fresh
# pseudo-terminal published as COMn in build/run/ports; the program starts in
# build/run/work, whose dev.dat names that COM number.  When the window
# closes, the instrument is stopped.
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)
source ./scripts/deps.sh
qmx_install_deps

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
  echo "No display: neither DISPLAY nor WAYLAND_DISPLAY is set, so the window cannot be shown." >&2
  echo "To run without a screen (the window stays invisible; stop it with Ctrl+C):" >&2
  echo "  QT_QPA_PLATFORM=offscreen ./run.sh $*" >&2
  echo "or let it work unattended:" >&2
  echo "  QT_QPA_PLATFORM=offscreen ./run.sh --script FILE       (see README, scripted operation)" >&2
  echo "  QT_QPA_PLATFORM=offscreen ./run.sh --screenshots DIR" >&2
  exit 1
fi

jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs" --target qmx41-config qmx41-sim

run_dir="$root/build/run"
ports_dir="$run_dir/ports"
work_dir="$run_dir/work"
com="${QMX41_SIM_COM:-1}"
mkdir -p "$ports_dir" "$work_dir"
rm -f "$ports_dir"/COM* "$run_dir/sim.out"

sim_pid=""
stop_instrument() {
  if [[ -n "$sim_pid" ]] && kill -0 "$sim_pid" 2>/dev/null; then
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
  fi
}
trap stop_instrument EXIT
trap 'exit 130' INT TERM

# The flow steps up by 20 m3/h for two minutes in every four, so that the
# trend of the measured values has something to show
# (QMX41_SIM_FLOW_STEPS="M3H SECONDS" sets another step).
read -r -a flow_steps <<<"${QMX41_SIM_FLOW_STEPS:-20 120}"
"$root/build/src/qmx41-sim" --ports-dir "$ports_dir" --com "$com" \
  --control "$run_dir/sim.sock" --flow-steps "${flow_steps[@]}" >"$run_dir/sim.out" 2>&1 &
sim_pid=$!
for _ in $(seq 100); do
  grep -qx ready "$run_dir/sim.out" 2>/dev/null && break
  kill -0 "$sim_pid" 2>/dev/null || break
  sleep 0.05
done
if ! grep -qx ready "$run_dir/sim.out" 2>/dev/null; then
  echo "The virtual instrument did not start:" >&2
  cat "$run_dir/sim.out" >&2
  exit 1
fi
com=$(awk '$1 == "com" { print $2 }' "$run_dir/sim.out")
device=$(awk '$1 == "device" { print $2 }' "$run_dir/sim.out")
echo "Virtual instrument on COM$com ($device), address 1, 19200 baud, no parity."
echo "Its control socket (one command a line, 'help' lists them): $run_dir/sim.sock"

# dev.dat names the instrument's port; everything else in it is the
# operator's and stays as the program left it last time.
dev_dat="$work_dir/dev.dat"
if [[ -f "$dev_dat" ]] && grep -qi '^\[COM_SETTINGS\]' "$dev_dat"; then
  awk -v com="$com" '
    /^\[/ { in_com = (tolower($0) ~ /^\[com_settings\]/) }
    in_com && tolower($0) ~ /^number *=/ { print "Number=" com; next }
    { print }
  ' "$dev_dat" >"$dev_dat.new"
  grep -qi '^number *=' "$dev_dat.new" || sed -i "/^\[COM_SETTINGS\]/I a Number=$com" "$dev_dat.new"
  mv "$dev_dat.new" "$dev_dat"
else
  # The program's own creation set, with the instrument's port.
  printf '%s\n' '[COM_SETTINGS]' "Number=$com" 'Settings=19200,N,8,1' 'DELY=0' \
    '[DEVICE]' 'NetAdrr=1' '[SETTINGS]' 'TimeOut=2000' 'TimeGapDev=0' 'TimeGapPrg=0' \
    '[LOG]' 'UseLogFile=0' >>"$dev_dat"
fi

echo "Starting qmx41-config in $work_dir"
set +e
(cd "$work_dir" && "$root/build/src/qmx41-config" --ports-dir "$ports_dir" "$@")
status=$?
set -e
exit "$status"
