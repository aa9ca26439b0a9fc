#pragma once

#include <functional>
#include <string>

// Runs body in a forked child with a network namespace of its own (in a user namespace where
// not root) holding only a loopback interface, down. body and Run return "" on success, else
// what went wrong; Run returns Unavailable() when no namespace can be made. With privateMounts
// the child also has a mount namespace of its own, so it may mount what nobody else sees.
struct PrivateNetwork {
    static std::string Run(const std::function<std::string()>& body, bool privateMounts = false);
    static const std::string& Unavailable();

    // Inside body: brings the loopback interface up (or down).
    static bool SetLoopbackUp(bool up);
};
