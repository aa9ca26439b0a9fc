# Sourced by the scripts that start the program or open its ports: runs the calling script
# again inside a network namespace of its own with only loopback up, so that nothing it starts
# can reach a real network. Afterwards PELLWICK_PRIVATE_NETWORK is "inside", or "none" where no
# namespace can be made (the caller then refuses to start the program, or skips).
if [ -z "${PELLWICK_PRIVATE_NETWORK:-}" ]; then
    for flags in -n -rn; do
        unshare $flags true 2>/dev/null && PELLWICK_PRIVATE_NETWORK=inside exec unshare $flags "$0" "$@"
    done
    export PELLWICK_PRIVATE_NETWORK=none
    echo "no private network namespace can be made here" >&2
elif [ "$PELLWICK_PRIVATE_NETWORK" = inside ]; then
    ip link set lo up 2>/dev/null
fi
