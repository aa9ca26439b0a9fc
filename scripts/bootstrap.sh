#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Pellwick need.
# Idempotent: asks dpkg-query first and calls apt-get only for what is missing.
set -euo pipefail

packages=(
    # build
    build-essential cmake ninja-build ccache pkg-config
    qt6-base-dev qt6-qpa-plugins libcanberra-dev
    # the site relay: MQTT client library, the broker the relay test starts (with its TLS
    # certificates from openssl), and the client the relay bench asks the broker's counters with
    libmosquitto-dev mosquitto openssl mosquitto-clients
    libgtest-dev libgmock-dev
    # fuzzing and sanitizers (clang's runtime)
    clang libclang-rt-14-dev
    # desktop, fonts, tray host and screenshots for the x11 tests
    xvfb xauth x11-utils xdotool trayer openbox imagemagick fonts-liberation
    # event sounds, and the audio tests: a private PulseAudio server with a null sink
    libcanberra0 libcanberra-pulse pulseaudio pulseaudio-utils sox
    # multi-host tests; the Windows peer (scapy's NetBIOS and SMB layers) and its decoder
    iproute2 procps util-linux passwd python3-scapy tshark
    # autostart entry validation
    desktop-file-utils
    # desktop notifications and the session bus service: a private session bus in the tests
    dbus libglib2.0-bin
    # the Debian package: making it, checking it, and what it needs at run time
    dpkg-dev debhelper fakeroot lintian appstream libcap2-bin qt6-wayland
)

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
    [ "$status" = "installed" ] || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "bootstrap: installing ${missing[*]}" >&2
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update -qq
    $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
