#include "QuitOnSignal.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <atomic>
#include <csignal>

namespace sw {

namespace {

int g_pipe[2] = {-1, -1};
std::atomic<int> g_signalsSeen{0};  // lock-free, so safe inside the handler

void OnSignal(int signal) {
    // Only async-signal-safe work here: the event loop picks the byte up. A second signal ends
    // the program at once, even when the orderly end is stuck or failed (the lock goes with it).
    if (g_signalsSeen.fetch_add(1) > 0) {
        constexpr char kNote[] = "Stopped at once by a second signal\n";
        [[maybe_unused]] const ssize_t noted = ::write(STDERR_FILENO, kNote, sizeof kNote - 1);
        ::_exit(128 + signal);
    }
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
}

}  // namespace

QuitOnSignal::QuitOnSignal(std::function<void()> quit, QObject* parent)
    : QObject(parent), m_quit(std::move(quit)) {
    if (g_pipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_pipe) != 0) {
        return;
    }
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &QuitOnSignal::Received);
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        ::sigaction(signal, &action, nullptr);
    }
}

QuitOnSignal::~QuitOnSignal() {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        ::sigaction(signal, &action, nullptr);
    }
}

void QuitOnSignal::Received() {
    char byte;
    [[maybe_unused]] const ssize_t got = ::read(g_pipe[0], &byte, 1);
    if (m_quit) {
        m_quit();
    }
}

}  // namespace sw
