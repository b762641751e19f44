#pragma once

#include <QString>
#include <QtGlobal>

namespace sw {

struct CrossfadeMixRequest {
    QString output;  ///< the WAV file to write
    QString first;   ///< A: plays from its start
    QString second;  ///< B: cross-faded in
    quint32 fadeMilliseconds = 0;
    double atSeconds = 0;  ///< the point of A where the cross-fade starts
};

struct CrossfadeMixResult {
    qint64 frames = 0;     ///< frames written
    qint64 fadeStart = 0;  ///< the frame where B came in
};

/// Plays A through a mixer on an offline output and, at the given second of A, cross-fades to B
/// the way the player does: B goes into the mixer at volume 0, then B slides to A's volume and A
/// slides to 0 over the fade time. The mixer's output is written as a 16-bit WAV file until both
/// have ended. Throws std::runtime_error naming the failing call, " - BASS error " and its code.
CrossfadeMixResult RenderCrossfadeMix(const CrossfadeMixRequest& request);

}  // namespace sw
