#include "app/GraphicalSession.h"

#include "app/CPellwickApp.h"
#include "platform/DesktopId.h"
#include "res/ResourceLoader.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kApplicationIcon = 128;

struct HeldMessage {
    QtMsgType type;
    const char* category;
    QString text;
};

QtMessageHandler g_previousHandler = nullptr;
std::vector<HeldMessage> g_heldMessages;

// While the application object is made, the platform's complaints are held back: when the
// display cannot be opened they would only bury the one line that says what is wrong.
void HoldMessage(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtFatalMsg) {
        std::fputs("pellwick: cannot open a display; Pellwick needs a graphical session\n", stderr);
        // No abort, so no core dump; nothing has been written or shown yet.
        std::_Exit(CPellwickApp::EXIT_NO_DISPLAY);
    }
    g_heldMessages.push_back({type, context.category, text});
}

} // namespace

namespace GraphicalSession {

std::unique_ptr<QApplication> Open(int& argc, char** argv)
{
    // Wayland compositors match our windows to the installed desktop entry by this id; X11
    // desktops by the window class "pellwick" (Qt's, from the program's name), which the entry
    // names as StartupWMClass. A class set here would also change the windows' titles.
    QGuiApplication::setDesktopFileName(DesktopId());
    g_previousHandler = qInstallMessageHandler(HoldMessage);
    auto application = std::make_unique<QApplication>(argc, argv);
    qInstallMessageHandler(g_previousHandler);
    for (const HeldMessage& held : g_heldMessages) {
        const QMessageLogContext context(nullptr, 0, nullptr, held.category);
        if (g_previousHandler)
            g_previousHandler(held.type, context, held.text);
        else
            qt_message_output(held.type, context, held.text);
    }
    g_heldMessages.clear();
    // Every size of the program's icon, for windows that have none of their own and the
    // desktop's window switcher.
    QApplication::setWindowIcon(LoadIconResource(kApplicationIcon));
    return application;
}

} // namespace GraphicalSession
