#include "app/GraphicalSession.h"

#include "app/CPellwickApp.h"
#include "platform/DesktopId.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

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
    // Wayland compositors match our windows to the installed desktop entry by this id.
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
    return application;
}

} // namespace GraphicalSession
