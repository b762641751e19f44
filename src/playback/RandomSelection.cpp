#include "RandomSelection.h"

#include <algorithm>
#include <chrono>
#include <random>
#include <vector>

#include "core/Playlists.h"
#include "core/Catalogue.h"
#include "core/Query.h"
#include "core/SongStore.h"

namespace sw {

namespace {

/// Numbers tried per song drawn before the admitted songs are listed.
constexpr int kTriesPerDraw = 64;

}  // namespace

QString RandomFilterCondition(int filter, bool& usesParameter) {
    usesParameter = false;
    switch (filter) {
        case 99:
            return {};
        case 1:
            return "and ((s.rating = 0) or (s.rating >=2))";
        case -1:
            return "and (s.rating < 0)";
        default:
            usesParameter = true;
            return "and (s.rating >= :filter)";
    }
}

RandomSelection::RandomSelection(Catalogue& catalogue, SongStore& songs, Playlists& playlists)
    : m_catalogue(catalogue), m_songs(songs), m_playlists(playlists) {}

int RandomSelection::PickRandomSongs(int count, int filter) {
    m_playlists.ClearPlaylistEntries(kRandomPlaylistId);
    Tplist random;
    if (!m_playlists.LoadPlaylistRecord(kRandomPlaylistId, random)) {
        m_playlists.InsertPlaylistRow(kRandomPlaylistId, "Random");
    }

    const std::uint32_t seed =
        m_seed ? *m_seed
               : static_cast<std::uint32_t>(std::chrono::system_clock::now().time_since_epoch().count());
    std::mt19937 generator(seed);
    if (m_seed) {
        // The next pick goes on where this one ends rather than repeating it.
        m_seed = generator();
    }

    bool usesParameter = false;
    QString condition = RandomFilterCondition(filter, usesParameter);
    if (!condition.isEmpty()) {
        condition = "\n" + condition;
    }
    const auto bind = [&](Query& query) -> Query& {
        return usesParameter ? query.SetInteger("filter", filter) : query;
    };

    // Each draw is uniform over the songs that the conditions admit. Reading them all costs the
    // database about half a second per 100,000 songs, so a draw first tries numbers from 1 to the
    // highest at random and keeps the first that names an admitted song (every admitted song is as
    // likely to be that one). Only when numbers keep missing, as they do when the filter admits
    // very few songs, are the admitted songs listed and drawn from directly.
    const int highest = m_catalogue.NextSongNum() - 1;
    if (highest <= 0) {
        return 0;
    }
    Query candidate(m_catalogue, kSongQuery + "\nwhere (s.songnum = :songnum)\nand (s.exi>0) " + condition);
    bind(candidate);
    std::uniform_int_distribution<int> anyNumber(1, highest);
    int triesLeft = kTriesPerDraw * count;
    std::vector<int> admitted;
    bool listed = false;

    int written = 0;
    for (int i = 1; i <= count; ++i) {
        TSong song;
        bool found = false;
        while (!found && triesLeft > 0) {
            --triesLeft;
            const RowSet rows = candidate.SetInteger("songnum", anyNumber(generator)).Open();
            if (rows.RowCount() > 0) {
                m_songs.FillSongFromRow(rows, song);
                found = true;
            }
        }
        if (!found) {
            if (!listed) {
                Query all(m_catalogue, "SELECT s.songnum FROM song S\nwhere (s.exi>0) " + condition);
                RowSet rows = bind(all).Open();
                for (rows.First(); !rows.Eof(); rows.Next()) {
                    // The same songs as the numbers tried above: each number once, none below 1.
                    if (rows.Int("SONGNUM") > 0) {
                        admitted.push_back(rows.Int("SONGNUM"));
                    }
                }
                std::sort(admitted.begin(), admitted.end());
                admitted.erase(std::unique(admitted.begin(), admitted.end()), admitted.end());
                listed = true;
            }
            if (admitted.empty()) {
                break;
            }
            std::uniform_int_distribution<std::size_t> draw(0, admitted.size() - 1);
            found = m_songs.FindSongByNumber(admitted[draw(generator)], song);
        }
        if (found) {
            m_playlists.InsertPlaylistEntry(song, kRandomPlaylistId, i);
            ++written;
        }
    }
    return written;
}

}  // namespace sw
