#include "Clock.h"

#include <chrono>
#include <thread>

namespace sw {

qint64 SystemClock::NowMs() const {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void SystemClock::SleepMs(int milliseconds) {
    if (milliseconds > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
}

SystemClock& RealClock() {
    static SystemClock clock;
    return clock;
}

}  // namespace sw
