#!/usr/bin/env bash
# Runs a test against a private PulseAudio whose one output is the null sink pellwick_null
# (recorded from pellwick_null.monitor); skips (77) without PulseAudio or its tools.
set -u
for tool in pulseaudio pactl parec; do
    command -v "$tool" >/dev/null 2>&1 || { echo "SKIP: $tool is not installed" >&2; exit 77; }
done

dir=$(mktemp -d)
export HOME="$dir" XDG_CONFIG_HOME="$dir/config" XDG_RUNTIME_DIR="$dir/run" PULSE_SERVER="unix:$dir/native"
mkdir -m 700 -p "$XDG_RUNTIME_DIR"
pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --disable-shm=yes \
    -L "module-native-protocol-unix auth-anonymous=1 socket=$dir/native" \
    -L "module-null-sink sink_name=pellwick_null" >"$dir/pulseaudio.log" 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null; wait 2>/dev/null; rm -rf "$dir"' EXIT
for _ in $(seq 1 100); do pactl info >/dev/null 2>&1 && break; sleep 0.05; done
pactl info >/dev/null 2>&1 || { cat "$dir/pulseaudio.log" >&2; echo "PulseAudio did not start" >&2; exit 1; }
pactl set-default-sink pellwick_null

"$@"
