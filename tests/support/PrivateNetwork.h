#pragma once

#include <functional>
#include <string>

// Runs body in a forked child that has a network namespace of its own (through a user
// namespace, so no root is needed where the kernel allows it), with only a loopback interface,
// which starts down. body returns an empty string on success or what went wrong.
// Returns "" on success, the failure otherwise; Unavailable() when no namespace can be made.
struct PrivateNetwork {
    static std::string Run(const std::function<std::string()>& body);
    static const std::string& Unavailable();

    // Empty when this process runs in a network namespace of its own (unshare -n, a system
    // test's host); otherwise why not. Helpers that start the program refuse to start it then.
    static std::string WhyNotPrivate();

    // Inside body: brings the loopback interface up (or down).
    static bool SetLoopbackUp(bool up);
};
