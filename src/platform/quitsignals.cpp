#include "platform/quitsignals.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QSocketNotifier>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <thread>

namespace {

int g_fds[2] = {-1, -1};
int g_watchFds[2] = {-1, -1};
volatile std::sig_atomic_t g_pending = 0;
std::atomic<bool> g_delivered{false};
std::atomic<bool> g_nothingUnsaved{true};

// The event loop takes a quit up, saves and ends the program itself. The watch bounds that: a
// loop that has not taken the quit up within 0.4 s is held by some long work, and
// waiting longer would keep the program alive for as long as that work runs. A save has one
// commit point, so ending at any moment leaves the store as one save or the other wrote it.
constexpr auto kTakeUp = std::chrono::milliseconds(400);
// A save under way may finish until then (a renumbering save of 5,000 notes takes a third of
// a second); what a slower one has not committed stays as the last save wrote it.
constexpr auto kLastResort = std::chrono::milliseconds(800);

void waitUntil(std::chrono::steady_clock::time_point end, bool stopWhenDelivered) {
    while (std::chrono::steady_clock::now() < end && !(stopWhenDelivered && g_delivered))
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

void watch() {
    unsigned char byte = 0;
    while (::read(g_watchFds[1], &byte, 1) != 1) {
        if (errno != EINTR) return;
    }
    const auto signalled = std::chrono::steady_clock::now();
    waitUntil(signalled + kTakeUp, true);
    // Nothing to save: no reason to wait for a loop that is held.
    if (!g_delivered && g_nothingUnsaved) ::_exit(0);
    waitUntil(signalled + kLastResort, false);
    ::_exit(0);
}

void onSignal(int signalNumber) {
    const int savedErrno = errno;  // the code this signal interrupted may be reading errno
    g_pending = 1;
    const auto byte = static_cast<unsigned char>(signalNumber);
    // Nothing to do if a socket is full: a quit is already pending.
    [[maybe_unused]] const ssize_t written = ::write(g_fds[0], &byte, 1);
    [[maybe_unused]] const ssize_t watched = ::write(g_watchFds[0], &byte, 1);
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
        if (::read(g_fds[1], &byte, 1) != 1) return;
        g_delivered = true;
        Q_EMIT quitRequested(byte);
    });
    // The watch waits in a blocking read: no wake-ups while nothing happens.
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_watchFds) == 0 &&
        ::fcntl(g_watchFds[0], F_SETFL, O_NONBLOCK) == 0)
        std::thread(watch).detach();
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

void QuitSignals::setNothingUnsaved(bool nothingUnsaved) {
    g_nothingUnsaved = nothingUnsaved;
}

QuitSignals::~QuitSignals() {
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        std::signal(sig, SIG_DFL);
}
