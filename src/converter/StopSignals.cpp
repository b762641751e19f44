#include "StopSignals.h"

#include <unistd.h>

#include <csignal>

namespace sw {

namespace {

volatile std::sig_atomic_t g_stopSignal = 0;

extern "C" void OnStopSignal(int signal) {
    // Only async-signal-safe work here.
    if (g_stopSignal != 0) {
        constexpr char kNote[] = "swconv: stopped at once by a second signal\n";
        [[maybe_unused]] const ssize_t noted = ::write(STDERR_FILENO, kNote, sizeof kNote - 1);
        ::_exit(1);
    }
    g_stopSignal = signal;
}

}  // namespace

void CatchStopSignals() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM}) {
        ::sigaction(signal, &action, nullptr);
    }
}

int StopSignal() {
    return g_stopSignal;
}

void ClearStopSignal() {
    g_stopSignal = 0;
}

QString SignalName(int signal) {
    switch (signal) {
        case SIGINT:
            return "SIGINT";
        case SIGTERM:
            return "SIGTERM";
        default:
            return QString("signal %1").arg(signal);
    }
}

}  // namespace sw
