#!/usr/bin/env python3
"""Plants known faults one at a time into a checkout, builds the tests that should catch each,
runs them and restores the file. Prints a table: fault, the tests run, caught or MISSED.

    python3 scripts/plant-faults.py [checkout]   (default: this checkout; its dev build is used)
"""
import os
import subprocess
import sys

FAULTS = [
    ("wrong field: the sender read from the recipient's bytes", "net/MessagePacket.cpp",
     "return FieldText(sender);", "return FieldText(recipient);",
     ["net_tests"], "net/net_tests", "*"),
    ("repeat rule: twins on the two wires no longer absorbed", "net/RepeatFilter.cpp",
     "it->wire != wire && apart", "it->wire == wire && apart",
     ["net_tests"], "net/net_tests", "RepeatFilter*:Transport*"),
    ("expiry one tick late", "session/OnlineUser.h",
     "PRESENCE_TICKS = 6", "PRESENCE_TICKS = 7",
     ["session_tests"], "session/session_tests", "*"),
    ("a box for the first lost line of an outage only", "net/CMailslotTransport.cpp",
     "if (userText || !m_bSendOutageShown)", "if (!m_bSendOutageShown)",
     ["net_tests"], "net/net_tests", "TransportSending*"),
    ("a stored value is not overwritten", "platform/RegistryHive.cpp",
     "key.values[*found].second = std::move(value);", "(void)value;",
     ["prefs_tests"], "prefs/prefs_tests", "*"),
    ("counter off by one", "messages/CIncomingMessagesDialog.cpp",
     "count == 0 ? 0 : m_nShown + 1", "count == 0 ? 0 : m_nShown",
     ["messages_tests"], "messages/messages_tests", "*"),
    ("a limited flash never ends", "app/TrayIconFlash.cpp",
     "if (m_nCount > 0 && m_nSteps++ >= m_nCount)", "if (m_nCount > 0 && m_nSteps++ < 0)",
     ["app_tests"], "app/app_tests", "*"),
    ("signal not connected: the Chat Room never hears a line", "app/CPellwickApp.cpp",
     "connect(session, &MessengerSession::ChatLineReceived, chat, &CChatDialog::AddLine);", "",
     ["system_tests", "pellwick", "pellwick_host"], "system/system_tests", "Conversation*"),
]


def main():
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), ".."))
    build = os.path.join(root, "build", "dev")
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", LANG="C.UTF-8",
               PELLWICK_PROGRAM=os.path.join(build, "pellwick"),
               PELLWICK_HOST=os.path.join(build, "tests/system/pellwick_host"),
               PELLWICK_SESSION_PEER=os.path.join(build, "tests/system/pellwick_session_peer"),
               PELLWICK_SOURCE_DIR=root)
    for name, path, old, new, targets, binary, gtest_filter in FAULTS:
        source = os.path.join(root, path)
        with open(source, encoding="utf-8") as f:
            text = f.read()
        if text.count(old) != 1:
            print(f"| {name} | {path} | NOT PLANTED (the code changed) |")
            continue
        try:
            with open(source, "w", encoding="utf-8") as f:
                f.write(text.replace(old, new))
            built = subprocess.run(["cmake", "--build", build, "--target", *targets],
                                   capture_output=True, text=True).returncode == 0
            run = subprocess.run([os.path.join(build, "tests", binary), f"--gtest_filter={gtest_filter}"],
                                 capture_output=True, text=True, env=env)
            failed = [line.split()[3] for line in run.stdout.splitlines()
                      if line.startswith("[  FAILED  ]") and len(line.split()) > 3 and "listed" not in line]
            verdict = "does not build" if not built else (
                "caught by " + "; ".join(sorted(set(failed))) if run.returncode != 0 else "MISSED")
            print(f"| {name} | {path} | {verdict} |", flush=True)
        finally:
            with open(source, "w", encoding="utf-8") as f:
                f.write(text)
    subprocess.run(["cmake", "--build", build], capture_output=True)


if __name__ == "__main__":
    main()
