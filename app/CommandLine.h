#pragma once

#include <optional>

// The command line for scripts: "pellwick send USER TEXT...", "pellwick send --all TEXT...",
// "pellwick chat TEXT..." (the text from standard input when none is given) and
// "pellwick users [--wait SECONDS]". With this user's copy running they go through its session
// bus service; without one they open the session themselves: send and chat send one record,
// users listens and prints who was heard. None of them needs a display. Exit codes from sysexits.
namespace CommandLine {

// The exit code when the arguments name a subcommand (it has run); nothing otherwise.
std::optional<int> Run(int argc, char** argv);

// A second start while a copy runs: asks the running copy of this user to show its Online window
// and says so in one line; the exit code stays 10, as scripts expect.
int ShowRunningCopy(int argc, char** argv);

} // namespace CommandLine
