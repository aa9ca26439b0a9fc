#include "app/CPellwickApp.h"
#include "app/CommandLine.h"
#include "app/GraphicalSession.h"
#include "app/StartOptions.h"
#include "platform/NamedEndpoint.h"

int main(int argc, char** argv)
{
    if (const auto ran = CommandLine::Run(argc, argv))
        return *ran;
    if (const auto endNow = StartOptions::Handle(argc, argv))
        return *endNow;

    // One copy per machine: a second one brings the first one forward and ends, before it
    // writes anything.
    NamedEndpoint instanceLock;
    if (!instanceLock.Claim(kInstanceLockName))
        return CommandLine::ShowRunningCopy(argc, argv);

    const auto application = GraphicalSession::Open(argc, argv);
    CPellwickApp pellwick;
    return pellwick.Run();
}
