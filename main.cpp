#include "app/CPellwickApp.h"
#include "platform/NamedEndpoint.h"

#include <QApplication>

int main(int argc, char** argv)
{
    // One copy per machine: a second one ends at once, before it writes or shows anything.
    NamedEndpoint instanceLock;
    if (!instanceLock.Claim(kInstanceLockName))
        return CPellwickApp::EXIT_ALREADY_RUNNING;

    QApplication application(argc, argv);
    CPellwickApp pellwick;
    return pellwick.Run();
}
