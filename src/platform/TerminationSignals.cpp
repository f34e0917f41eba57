#include "TerminationSignals.h"

#include <QApplication>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_aiSignalPipe[2] = {-1, -1};

void vOnSignal(int)
{
    const char byte = 1;
    // Only async-signal-safe work here: the event loop reads the pipe.
    [[maybe_unused]] ssize_t written = ::write(g_aiSignalPipe[0], &byte, 1);
}

} // namespace

void vCatchTerminationSignals()
{
    if (g_aiSignalPipe[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM, 0, g_aiSignalPipe) != 0)
        return;
    struct sigaction action = {};
    action.sa_handler = &vOnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

void vQuitOnTerminationSignals(QApplication* application)
{
    vCatchTerminationSignals();
    if (g_aiSignalPipe[1] < 0)
        return;
    auto* notifier = new QSocketNotifier(g_aiSignalPipe[1], QSocketNotifier::Read, application);
    QObject::connect(notifier, &QSocketNotifier::activated, application, [notifier] {
        char byte = 0;
        [[maybe_unused]] ssize_t got = ::read(g_aiSignalPipe[1], &byte, 1);
        notifier->setEnabled(false);
        QApplication::closeAllWindows();
        QApplication::quit();
    });
}
