#!/usr/bin/env python3
"""Stand-in colleagues for screenshots: announces the given users to the copy on this machine
once a second, as their copies would. Usage: peers.py NAME[:chat] ... (runs until killed)."""
import socket
import struct
import sys
import time

PORT = 47364
PRESENCE, CHAT_PRESENCE = 2, 3


def record(kind, text, sender):
    def field(value, width):
        data = value.encode("cp1251", errors="replace")[: width - 1]
        return data + b"\0" * (width - len(data))
    return field(text, 260) + field(sender, 50) + field("", 50) + struct.pack("<I", kind)


def main():
    peers = [arg.split(":") for arg in sys.argv[1:]]
    sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    while True:
        for peer in peers:
            sock.sendto(record(PRESENCE, "Подтверждение...", peer[0]), ("127.0.0.1", PORT))
            if "chat" in peer[1:]:
                sock.sendto(record(CHAT_PRESENCE, "none", peer[0]), ("127.0.0.1", PORT))
        time.sleep(1)


if __name__ == "__main__":
    main()
