#include "StopSignals.h"

#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <mutex>
#include <thread>

namespace sw {

namespace {

std::atomic<int> g_stopSignal{0};

/// Notes a stop signal; a second one ends the process at once. Async-signal-safe.
void Arrived(int signal) {
    if (g_stopSignal.load() != 0) {
        constexpr char kNote[] = "swconv: stopped at once by a second signal\n";
        [[maybe_unused]] const ssize_t noted = ::write(STDERR_FILENO, kNote, sizeof kNote - 1);
        ::_exit(1);
    }
    g_stopSignal.store(signal);
}

extern "C" void OnStopSignal(int signal) {
    Arrived(signal);
}

sigset_t StopSet() {
    sigset_t stops;
    sigemptyset(&stops);
    sigaddset(&stops, SIGINT);
    sigaddset(&stops, SIGTERM);
    return stops;
}

/// Blocks the stop signals in the calling thread (and so in every thread it starts from now on)
/// and takes them on a thread of their own. A signal taken there never interrupts the database
/// engine's threads nor runs a handler the engine's client library put in place.
void TakeSignalsOnOwnThread() {
    const sigset_t stops = StopSet();
    ::pthread_sigmask(SIG_BLOCK, &stops, nullptr);
    std::thread([stops] {
        for (;;) {
            int signal = 0;
            if (::sigwait(&stops, &signal) == 0) {
                Arrived(signal);
            }
        }
    }).detach();
}

}  // namespace

void CatchStopSignals() {
    static std::once_flag taken;
    std::call_once(taken, TakeSignalsOnOwnThread);
    // A thread started before the first call may still take a signal itself.
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM}) {
        ::sigaction(signal, &action, nullptr);
    }
}

int StopSignal() {
    return g_stopSignal.load();
}

void ClearStopSignal() {
    g_stopSignal.store(0);
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
