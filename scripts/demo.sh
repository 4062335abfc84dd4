#!/usr/bin/env bash
# Tries Tavik without hardware: sets up and builds, starts the stand-in message server and
# two emulated DSP units and the HV unit on loopback, and runs Tavik against them in build/demo/.
# Closing Tavik (or Ctrl+C) stops the stand-ins too.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/setup.sh" fonts-noto-cjk
bin="$here/build"
demo="$bin/demo"
mkdir -p "$demo"
cd "$demo"

printf 'demo-key-1\ndemo-key-2\ndemo-key-3\n' > zephra.keys
cp zephra.keys Tavik.key

pids=()
cleanup() { kill "${pids[@]}" 2>/dev/null || true; }
trap cleanup EXIT INT TERM

# Waits until file $1 has a line starting with $2 and prints that line.
wait_for_line() {
    for _ in $(seq 100); do
        grep -m1 "^$2" "$1" 2>/dev/null && return 0
        sleep 0.1
    done
    echo "no '$2' from $1" >&2
    return 1
}

"$bin/sim/server/zephra-server" --port 0 --keys zephra.keys > server.out &
pids+=($!)
"$bin/sim/units/unit-emulator" --dsp 2 --hv --first-address 127.0.0.2 > units.out &
pids+=($!)
read -r _ _ server_port < <(wait_for_line server.out listening)
line=$(wait_for_line units.out ready)
udp_port=${line#*udp=}; udp_port=${udp_port%% *}
tcp_port=${line#*tcp=}

cat > config.cfg <<CFG
ZEPHRA_IP 127.0.0.1
ZEPHRA_PORT $server_port
CONNECT_TO_ZEPHRA 1
VEX_UDP_PORT $udp_port
VEX_TCP_PORT $tcp_port
VEXDA dsp1 127.0.0.2 1 1 1 1
VEXDA dsp2 127.0.0.3 1 0 1 0
VEXHV hv1 127.0.0.4
DATA_LINK_CH_IP 127.0.0.1
CFG

client="$bin/sim/client/zephra-client --port $server_port --keys $demo/zephra.keys"
cat <<TXT
Stand-in server on 127.0.0.1:$server_port, emulated units dsp1 127.0.0.2, dsp2 127.0.0.3 and hv1 127.0.0.4.
Ask Tavik from another terminal, for example:
  $client Hello
  $client SetPresetType REAL
  $client SetPresetValue 2
  $client RunStart 1
  $client GetValues
  $client --to Tavik.dsp1 Status CoarseGain 0
  $client HVStart          # then HVStat2, HVVol, HVStop
Spectra over the data link, saved as CSV and PNG into build/demo/spectra:
  $bin/sim/datalink/datalink-consumer --out $demo/spectra &
  $client GetMCAs
TXT

args=(-c config.cfg "$@")
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: running offscreen until interrupted (Ctrl+C)."
    args=(-platform offscreen "${args[@]}")
fi
"$bin/tavik" "${args[@]}"
