#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace sw {

class Catalogue;
class Playlists;
class SongStore;

/// The songs a rating filter admits, as a condition on the song query's "s.rating"; empty for 99
/// (no filter). `usesParameter` is set when the condition reads the parameter ":filter".
QString RandomFilterCondition(int filter, bool& usesParameter);

/// The main window's random command: playlist 0 ("Random") refilled with songs drawn at random from
/// those whose files exist and whose rating passes the filter.
class RandomSelection {
public:
    RandomSelection(Catalogue& catalogue, SongStore& songs, Playlists& playlists);

    /// Empties playlist 0 (creating it when missing) and writes `count` independent draws into it,
    /// so a song may come more than once. No song admitted: the playlist stays empty. No commit.
    /// Returns the number of entries written.
    int PickRandomSongs(int count, int filter);

    /// Draws from this seed from now on instead of seeding from the clock at each pick.
    void SetSeed(std::uint32_t seed) { m_seed = seed; }

private:
    Catalogue& m_catalogue;
    SongStore& m_songs;
    Playlists& m_playlists;
    std::optional<std::uint32_t> m_seed;
};

}  // namespace sw
