#include "LoudnessStore.h"

#include "core/Catalogue.h"

namespace sw {

namespace {

QString SqlNumber(const std::optional<double>& value) {
    return value ? QString::number(*value, 'f', 6) : QString("null");
}

std::optional<double> RealOrNull(const RowSet& rows, const QString& column) {
    if (rows.IsNull(column)) {
        return std::nullopt;
    }
    return rows.Real(column);
}

}  // namespace

std::vector<SongToMeasure> SongsToMeasure(Catalogue& catalogue, bool missingOnly) {
    RowSet rows = catalogue.Select(
        QString("select s.songnum, s.fn from song s ") +
        (missingOnly ? "where not exists (select 1 from songloudness l where l.songnum = s.songnum) " : "") +
        "order by s.songnum");
    std::vector<SongToMeasure> songs;
    songs.reserve(static_cast<std::size_t>(rows.RowCount()));
    for (rows.First(); !rows.Eof(); rows.Next()) {
        songs.push_back({rows.Int("SONGNUM"), rows.Text("FN")});
    }
    return songs;
}

void SaveSongLoudness(Catalogue& catalogue, int songNum, const SongLoudness& loudness) {
    const TagGains& gains = loudness.Gains;
    const AudioMeasurement& measured = loudness.Measured;
    catalogue.ExecSql(
        "update or insert into songloudness (songnum, trackgain, trackpeak, albumgain, albumpeak, lufs, "
        "truepeak, "
        "source, musicstart, musicend, measurets) values (" +
        QString::number(songNum) + ", " + SqlNumber(gains.TrackGain) + ", " + SqlNumber(gains.TrackPeak) +
        ", " + SqlNumber(gains.AlbumGain) + ", " + SqlNumber(gains.AlbumPeak) + ", " +
        SqlNumber(measured.IntegratedLufs) + ", " + SqlNumber(measured.Peak) + ", '" +
        (loudness.Source == LoudnessSource::Tag ? "T" : "M") + "', " +
        QString::number(measured.MusicStartMs) + ", " + QString::number(measured.MusicEndMs) +
        ", current_timestamp) matching (songnum)");
}

std::optional<SongLoudness> ReadSongLoudness(Catalogue& catalogue, int songNum) {
    const RowSet rows =
        catalogue.Select("select * from songloudness where songnum = " + QString::number(songNum));
    if (rows.RowCount() == 0) {
        return std::nullopt;
    }
    SongLoudness loudness;
    loudness.Gains.TrackGain = RealOrNull(rows, "TRACKGAIN");
    loudness.Gains.TrackPeak = RealOrNull(rows, "TRACKPEAK");
    loudness.Gains.AlbumGain = RealOrNull(rows, "ALBUMGAIN");
    loudness.Gains.AlbumPeak = RealOrNull(rows, "ALBUMPEAK");
    loudness.Source = rows.Text("SOURCE").trimmed() == "T" ? LoudnessSource::Tag : LoudnessSource::Measured;
    loudness.Measured.IntegratedLufs = RealOrNull(rows, "LUFS");
    loudness.Measured.Peak = rows.Real("TRUEPEAK");
    loudness.Measured.MusicStartMs = rows.Int("MUSICSTART");
    loudness.Measured.MusicEndMs = rows.Int("MUSICEND");
    return loudness;
}

}  // namespace sw
