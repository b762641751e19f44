#include "History.h"

#include "Catalogue.h"
#include "Song.h"

namespace sw {

PlayHistory::PlayHistory(Catalogue& catalogue, const Clock& clock) : m_catalogue(catalogue), m_clock(clock) {}

void PlayHistory::RecordPlay(const TSong& song) {
    // One reading of the clock, so the stamp and its date and time parts always agree.
    const Stamp now = DateTimeToStamp(m_clock.LocalNow());
    const QString ts = "'" + FormatDate(now.date) + ' ' + FormatTime(now.time) + "'";
    m_catalogue.ExecSql("insert into history ( songnum, ts, pldate, pltime ) values ( " +
                        QString::number(song.SongNum) + ", " + ts + ", " +
                        QString::number(DateNumber(now.date)) + ", " + QString::number(TimeNumber(now.time)) +
                        ")");
    m_catalogue.CommitRetaining();
}

}  // namespace sw
