#!/usr/bin/env bash
# Records through the site relays: two segments (network namespaces made inside this private
# network), a relay on each, a mosquitto broker in a third; relay_load_bench sends lines both
# ways at a fixed rate, then a synthetic site of many users' presence. Prints the arrivals, the
# added latency (p50/p99), the west relay's CPU share and its peak resident memory.
# Usage: bench/relay_bench.sh PROGRAM LOAD_BENCH [rate per direction, 2000] [seconds, 10] [users, 2000]
set -euo pipefail
source "$(dirname "$0")/../tests/support/private-network.sh"
[ "$PELLWICK_PRIVATE_NETWORK" = inside ] || { echo "refused: the relays are started only in a private network" >&2; exit 1; }
program=$(realpath "$1"); load=$(realpath "$2")
rate=${3:-2000}; seconds=${4:-10}; users=${5:-2000}
p=pwbench$$
work=$(mktemp -d)
cleanup() {
    kill $(jobs -p) 2>/dev/null || true; wait 2>/dev/null || true
    for ns in $(ip netns list | cut -d' ' -f1 | grep "^$p-"); do ip netns delete "$ns"; done
    rm -rf "$work"
}
trap cleanup EXIT

# Segments 10.88.0.0/24 (west), 10.88.1.0/24 (east), 10.88.2.0/24 (broker), joined by a router.
ip netns add $p-router; ip netns exec $p-router sysctl -q net.ipv4.ip_forward=1
for s in 0 1 2; do
    ip netns add $p-seg$s; ip -n $p-seg$s link add br0 up type bridge
    ip -n $p-seg$s link add r master br0 up type veth peer name eth$s netns $p-router
    ip -n $p-router addr add 10.88.$s.254/24 brd + dev eth$s; ip -n $p-router link set eth$s up
done
host() { # name segment number
    ip netns add $p-$1; ip -n $p-$1 link set lo up
    ip -n $p-seg$2 link add $1 master br0 up type veth peer name eth0 netns $p-$1
    ip -n $p-$1 addr add 10.88.$2.$3/24 brd + dev eth0; ip -n $p-$1 link set eth0 up
    ip -n $p-$1 route add default via 10.88.$2.254
}
host west 0 1; host relayw 0 2; host east 1 1; host relaye 1 2; host broker 2 1

printf 'listener 1883 0.0.0.0\nallow_anonymous true\nuser root\nmax_queued_messages 100000\n' >"$work/mosquitto.conf"
ip netns exec $p-broker mosquitto -c "$work/mosquitto.conf" 2>/dev/null &
sleep 0.5
for side in w e; do
    printf 'broker=mqtt://10.88.2.1\nsite=%s\n' "$side" >"$work/relay$side.conf"
    # ip netns exec becomes the program: $! is the relay.
    ip netns exec $p-relay$side "$program" --relay --config "$work/relay$side.conf" 2>"$work/relay$side.log" &
    [ $side = w ] && relay=$!
done
sleep 3
ticks=$(getconf CLK_TCK)
cpu() { awk '{print $14 + $15}' "/proc/$relay/stat"; }

cpu0=$(cpu); t0=$(date +%s%N)
"$load" $p-west $p-east "$rate" "$seconds"
cpu1=$(cpu); t1=$(date +%s%N)
awk -v c=$((cpu1 - cpu0)) -v t=$((t1 - t0)) -v k="$ticks" -v r="$rate" \
    'BEGIN {printf "west relay: %.1f %% of one core for %d records/s each way (%d/s through it)\n", 100 * c / k / (t / 1e9), r, 2 * r}'
# Where records were lost: datagrams the kernel dropped for a full receive buffer, per host.
drops() { ip netns exec "$p-$1" awk '/^Udp:/ { if (!n++) for (i = 1; i <= NF; i++) c[$i] = i; else print $c["RcvbufErrors"] }' /proc/net/snmp; }
echo "receive buffer overflows: west relay $(drops relayw), east relay $(drops relaye), west $(drops west), east $(drops east)"
echo "broker: $(ip netns exec $p-broker mosquitto_sub -h 10.88.2.1 -v -W 12 -C 3 -t '$SYS/broker/publish/messages/dropped' -t '$SYS/broker/publish/messages/received' -t '$SYS/broker/publish/messages/sent' | tr '\n' ' ')"
grep -hv 'started\|connected to\|forwards\|joined\|interface' "$work"/relay?.log | sort | uniq -c || true

cpu0=$(cpu); t0=$(date +%s%N)
"$load" $p-west $p-east 1 "$seconds" "$users"
cpu1=$(cpu); t1=$(date +%s%N)
awk -v c=$((cpu1 - cpu0)) -v t=$((t1 - t0)) -v k="$ticks" \
    'BEGIN {printf "west relay during the synthetic site: %.1f %% of one core\n", 100 * c / k / (t / 1e9)}'
echo "west relay peak resident memory: $(awk '/VmHWM/ {print $2}' "/proc/$relay/status") kB"
