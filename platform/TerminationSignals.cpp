#include "platform/TerminationSignals.h"

#include "platform/Logging.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The write end of the self-pipe; the handler may only make async-signal-safe calls.
int g_signalPipe[2] = {-1, -1};
volatile std::sig_atomic_t g_requested = 0;

extern "C" void OnTerminationSignal(int signalNumber)
{
    g_requested = 1;
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = write(g_signalPipe[1], &byte, 1);
    errno = savedErrno;
}

} // namespace

TerminationSignals::TerminationSignals(QObject* parent)
    : QObject(parent)
{
    g_requested = 0;
    if (pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        qCInfo(lcApp, "no signal pipe (%s): SIGTERM and SIGINT end the program at once", strerror(errno));
        return;
    }
    m_pNotifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, this);
    connect(m_pNotifier, &QSocketNotifier::activated, this, &TerminationSignals::OnReadable);

    struct sigaction action = {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

TerminationSignals::~TerminationSignals()
{
    if (!m_pNotifier)
        return;
    std::signal(SIGTERM, SIG_DFL);
    std::signal(SIGINT, SIG_DFL);
    close(g_signalPipe[0]);
    close(g_signalPipe[1]);
    g_signalPipe[0] = g_signalPipe[1] = -1;
}

bool TerminationSignals::Requested() const
{
    return g_requested != 0;
}

void TerminationSignals::OnReadable()
{
    unsigned char byte = 0;
    while (read(g_signalPipe[0], &byte, 1) == 1)
        Q_EMIT TerminationRequested(byte);
}
