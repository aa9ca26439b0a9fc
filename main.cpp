#include "app/CPellwickApp.h"
#include "app/GraphicalSession.h"
#include "app/StartOptions.h"
#include "platform/NamedEndpoint.h"

int main(int argc, char** argv)
{
    if (const auto endNow = StartOptions::Handle(argc, argv))
        return *endNow;

    // One copy per machine: a second one ends at once, before it writes or shows anything.
    NamedEndpoint instanceLock;
    if (!instanceLock.Claim(kInstanceLockName))
        return CPellwickApp::EXIT_ALREADY_RUNNING;

    const auto application = GraphicalSession::Open(argc, argv);
    CPellwickApp pellwick;
    return pellwick.Run();
}
