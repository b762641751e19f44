#pragma once

#include "foundation/Clock.h"

namespace sw {

class Catalogue;
struct TSong;

/// The play history: one HISTORY row for every start of a song.
class PlayHistory {
public:
    explicit PlayHistory(Catalogue& catalogue, const Clock& clock = RealClock());

    /// Writes the row for a song starting now, stamped with the local date and time (no commit).
    void RecordPlay(const TSong& song);

private:
    Catalogue& m_catalogue;
    const Clock& m_clock;
};

}  // namespace sw
