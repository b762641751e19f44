#pragma once

#include "foundation/Clock.h"

namespace sw {

class Catalogue;
struct TSong;

/// The play history: one HISTORY row for every start of a song.
class PlayHistory {
public:
    explicit PlayHistory(Catalogue& catalogue, const Clock& clock = RealClock());

    /// Writes the row for a song starting now, stamped with the local date and time, and commits
    /// it at once, so that a play is kept however the program ends afterwards. The commit keeps
    /// the transaction's context (its snapshot and open cursors), so a command under way goes on
    /// as it was; what that command wrote so far becomes durable with the row.
    void RecordPlay(const TSong& song);

private:
    Catalogue& m_catalogue;
    const Clock& m_clock;
};

}  // namespace sw
