#!/usr/bin/python3
"""Usage: mailslot_peer.py ADDRESS BROADCAST NAME PCAP. A Windows peer from scapy's NetBIOS and SMB
layers: announces NAME each second; stdin: "message TO TEXT", "chat TEXT", "quit" (writes PCAP)."""
import itertools
import os
import select
import socket
import struct
import sys
import time

from scapy.layers.inet import IP, UDP
from scapy.layers.l2 import Ether
from scapy.layers.netbios import NBTDatagram
from scapy.layers.smb import SMB_Header, SMBMailSlot, SMBNetlogon_Protocol_Response_Header
from scapy.packet import Raw
from scapy.utils import wrpcap

PORT = 138
RECORD = 364


def record(kind, text, sender, recipient=""):
    fields = [value.encode("cp1251")[: width - 1].ljust(width, b"\0")
              for value, width in ((text, 260), (sender, 50), (recipient, 50))]
    return b"".join(fields) + struct.pack("<I", kind)


def datagram(address, ident, data):
    smb = (SMB_Header(Command=0x25, Flags=0, PIDLow=0)
           / SMBNetlogon_Protocol_Response_Header(TotalDataCount=RECORD, DataCount=RECORD, DataOffset=86,
                                                  TimeOut1=0, TimeOut2=0)
           / SMBMailSlot(opcode=1, priority=0, class_=2, size=17 + RECORD, name=b"\\MAILSLOT\\forall")
           / Raw(data))
    header = NBTDatagram(Type=0x11, Flags=0x02, ID=ident, SourceIP=address, SourcePort=PORT,
                         SourceName="WINPEER", DestinationName="WORKGROUP", SUFFIX1=0x4141, SUFFIX2=0x4141)
    header.Length = len(bytes(header / smb)) - 14
    return bytes(header / smb)


def main():
    address, broadcast, name, pcap = sys.argv[1:5]
    sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    sock.setsockopt(socket.SOL_SOCKET, socket.SO_BROADCAST, 1)
    sock.bind(("0.0.0.0", PORT))
    ids, next_presence, heard, pending, chunk = itertools.count(1), 0.0, [], b"", b"-"

    def send(data):
        sock.sendto(datagram(address, next(ids), data), (broadcast, PORT))

    while chunk:
        if time.monotonic() >= next_presence:
            send(record(2, "Подтверждение...", name))
            next_presence = time.monotonic() + 1.0
        ready, _, _ = select.select([sys.stdin, sock], [], [], 0.1)
        if sock in ready:
            payload, source = sock.recvfrom(65536)
            if source[0] != address:
                heard.append((source[0], payload))
        if sys.stdin in ready:
            # Whole lines only, read past Python's own buffering so none waits unseen.
            chunk = os.read(sys.stdin.fileno(), 4096)
            *lines, pending = (pending + chunk).split(b"\n")
            for words in (line.decode("utf-8").split(" ", 2) for line in lines):
                if words[0] == "quit":
                    chunk = b""
                elif words[0] == "message" and len(words) == 3:
                    send(record(1, words[2], name, words[1]))
                elif words[0] == "chat":
                    send(record(0, " ".join(words[1:]), name))
    wrpcap(pcap, [Ether(src="02:00:00:00:00:02", dst="ff:ff:ff:ff:ff:ff")
                  / IP(src=source, dst=broadcast) / UDP(sport=PORT, dport=PORT) / Raw(payload)
                  for source, payload in heard])


if __name__ == "__main__":
    main()
