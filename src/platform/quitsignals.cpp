#include "platform/quitsignals.h"

#include <sys/socket.h>
#include <unistd.h>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

namespace {

int g_fds[2] = {-1, -1};
volatile std::sig_atomic_t g_pending = 0;

void onSignal(int signalNumber) {
    const int savedErrno = errno;  // the code this signal interrupted may be reading errno
    g_pending = 1;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    // Nothing to do if the socket is full: a quit is already pending.
    [[maybe_unused]] const ssize_t written = ::write(g_fds[0], &byte, 1);
    errno = savedErrno;
}

}  // namespace

QuitSignals::QuitSignals(QObject* parent) : QObject(parent) {
    // Non-blocking, so that the handler never waits; not inherited by programs we start.
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, g_fds) != 0) {
        std::fprintf(stderr, "jotpin: no quit signals: %s\n", std::strerror(errno));
        return;
    }
    m_notifier = new QSocketNotifier(g_fds[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        unsigned char byte = 0;
        if (::read(g_fds[1], &byte, 1) == 1) Q_EMIT quitRequested(byte);
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        sigaction(sig, &action, nullptr);
}

bool QuitSignals::pending() {
    return g_pending != 0;
}

QuitSignals::~QuitSignals() {
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        std::signal(sig, SIG_DFL);
}
