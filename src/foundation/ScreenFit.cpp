#include "ScreenFit.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace sw {

namespace {

// One cascade step: about a title bar down and as far right, so that each window's title shows.
constexpr int kCascadeStep = 32;
// The cascade starts again from the first place after this many windows.
constexpr int kCascadeLength = 8;

std::int64_t OverlapArea(const QRect& a, const QRect& b) {
    const QRect common = a.intersected(b);
    return common.isEmpty() ? 0 : std::int64_t{common.width()} * common.height();
}

std::int64_t GapSquared(const QRect& a, const QRect& b) {
    const std::int64_t dx = std::max({0, a.left() - b.right(), b.left() - a.right()});
    const std::int64_t dy = std::max({0, a.top() - b.bottom(), b.top() - a.bottom()});
    return dx * dx + dy * dy;
}

QRect FitInto(const QRect& frame, const QRect& screen) {
    const int width = std::min(frame.width(), screen.width());
    const int height = std::min(frame.height(), screen.height());
    const int left = std::clamp(frame.left(), screen.left(), screen.right() + 1 - width);
    const int top = std::clamp(frame.top(), screen.top(), screen.bottom() + 1 - height);
    return QRect(left, top, width, height);
}

}  // namespace

int NearestScreen(const QRect& frame, const std::vector<QRect>& screens) {
    int best = -1;
    std::int64_t bestOverlap = 0;
    for (int i = 0; i < static_cast<int>(screens.size()); ++i) {
        const std::int64_t overlap = OverlapArea(frame, screens[static_cast<std::size_t>(i)]);
        if (overlap > bestOverlap) {
            best = i;
            bestOverlap = overlap;
        }
    }
    if (best >= 0) {
        return best;
    }
    std::int64_t bestGap = 0;
    for (int i = 0; i < static_cast<int>(screens.size()); ++i) {
        const std::int64_t gap = GapSquared(frame, screens[static_cast<std::size_t>(i)]);
        if (best < 0 || gap < bestGap) {
            best = i;
            bestGap = gap;
        }
    }
    return best;
}

QRect KeepFrameOnScreens(const QRect& frame, const std::vector<QRect>& screens) {
    for (const QRect& screen : screens) {
        if (screen.contains(frame)) {
            return frame;
        }
    }
    const int nearest = NearestScreen(frame, screens);
    if (nearest < 0) {
        return frame;
    }
    return FitInto(frame, screens[static_cast<std::size_t>(nearest)]);
}

QRect CascadeFrame(const QRect& mainFrame, QSize frame, int index, const std::vector<QRect>& screens) {
    const int nearest = NearestScreen(mainFrame, screens);
    if (nearest < 0) {
        return QRect(mainFrame.topLeft() + QPoint(kCascadeStep, kCascadeStep), frame);
    }
    const QRect& screen = screens[static_cast<std::size_t>(nearest)];
    const int step = (index % kCascadeLength) * kCascadeStep;
    const std::array<QPoint, 3> besides{
        QPoint(mainFrame.left() + step, mainFrame.bottom() + 1 + step),
        QPoint(mainFrame.right() + 1 + step, mainFrame.top() + step),
        QPoint(mainFrame.left() - frame.width() - step, mainFrame.top() + step),
    };
    for (const QPoint& topLeft : besides) {
        const QRect candidate(topLeft, frame);
        if (screen.contains(candidate)) {
            return candidate;
        }
    }
    // Below the main window's title bar, so that the title stays within reach.
    const QPoint over = mainFrame.topLeft() + QPoint(step + kCascadeStep, step + kCascadeStep);
    return FitInto(QRect(over, frame), screen);
}

}  // namespace sw
