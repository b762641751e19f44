#include "Levelling.h"

#include <algorithm>
#include <cmath>

#include "core/Catalogue.h"
#include "core/Settings.h"
#include "core/Song.h"
#include "LoudnessStore.h"

namespace sw {

namespace {

std::optional<AlbumGain> ReadAlbumGain(Catalogue& catalogue, int albumId) {
    if (albumId <= 0) {
        return std::nullopt;
    }
    RowSet rows = catalogue.Select(
        "select l.lufs, l.truepeak, s.duration from song s join songloudness l on l.songnum = s.songnum "
        "where s.albumid = " +
        QString::number(albumId) + " and l.lufs is not null");
    std::vector<AlbumSongLoudness> songs;
    for (rows.First(); !rows.Eof(); rows.Next()) {
        songs.push_back({rows.Real("LUFS"), rows.IsNull("TRUEPEAK") ? 0.0 : rows.Real("TRUEPEAK"),
                         rows.IsNull("DURATION") ? 0.0 : static_cast<double>(rows.Int("DURATION"))});
    }
    return CombineAlbumLoudness(songs);
}

}  // namespace

std::optional<AlbumGain> CombineAlbumLoudness(const std::vector<AlbumSongLoudness>& songs) {
    double energy = 0;
    double weight = 0;
    double peak = 0;
    for (const AlbumSongLoudness& song : songs) {
        const double w = song.Seconds > 0 ? song.Seconds : 1.0;
        energy += w * std::pow(10.0, song.Lufs / 10.0);
        weight += w;
        peak = std::max(peak, song.Peak);
    }
    if (weight <= 0 || energy <= 0) {
        return std::nullopt;
    }
    return AlbumGain{kReplayGainReferenceLufs - 10.0 * std::log10(energy / weight), peak};
}

float LevellingFactor(const SongLoudness& row, int mode, int preampDb, bool clipGuard,
                      const std::optional<AlbumGain>& album) {
    const TagGains& gains = row.Gains;
    double gainDb = gains.TrackGain.value_or(0.0);
    double peak = gains.TrackPeak.value_or(row.Measured.Peak);
    if (mode == kLoudnessAlbum) {
        if (gains.AlbumGain) {
            gainDb = *gains.AlbumGain;
            peak = gains.AlbumPeak.value_or(peak);
        } else if (album) {
            gainDb = album->GainDb;
            peak = std::max(peak, album->Peak);
        }
    }
    float factor = static_cast<float>(std::pow(10.0, (gainDb + preampDb) / 20.0));
    if (clipGuard && peak > 0) {
        factor = std::min(factor, static_cast<float>(1.0 / peak));
    }
    return std::clamp(factor, 0.0f, kMaxLevellingFactor);
}

std::optional<SongLevel> ReadSongLevel(Catalogue& catalogue, const TSong& song, const Settings& settings) {
    if (settings.LOUDNESS == kLoudnessOff || song.SongNum <= 0) {
        return std::nullopt;
    }
    const std::optional<SongLoudness> row = ReadSongLoudness(catalogue, song.SongNum);
    if (!row) {
        return std::nullopt;
    }
    std::optional<AlbumGain> album;
    if (settings.LOUDNESS == kLoudnessAlbum && !row->Gains.AlbumGain) {
        album = ReadAlbumGain(catalogue, song.AlbumId);
    }
    SongLevel level;
    level.Factor = LevellingFactor(*row, settings.LOUDNESS, settings.PREAMP, settings.CLIPGUARD, album);
    level.MusicStartMs = std::max(0, row->Measured.MusicStartMs);
    level.MusicEndMs = std::max(0, row->Measured.MusicEndMs);
    return level;
}

}  // namespace sw
