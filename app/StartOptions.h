#pragma once

#include <optional>

// The command line: --help and --version print their text and end the program; --relay
// [--config file] runs the site relay until it is stopped; any other argument is a usage
// error (one line, exit code 64). Read before anything else happens, so
// none of them needs a display (and only the relay touches the network).
namespace StartOptions {

// The exit code when the program is to end at once; nothing when it is to start.
std::optional<int> Handle(int argc, char** argv);

} // namespace StartOptions
