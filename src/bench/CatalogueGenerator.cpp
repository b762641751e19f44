#include "CatalogueGenerator.h"

#include <QSet>
#include <QStringList>
#include <cmath>
#include <random>
#include <stdexcept>
#include <vector>

#include "core/Playlists.h"
#include "core/Ratings.h"
#include "core/Catalogue.h"
#include "core/Query.h"
#include "foundation/Numbers.h"
#include "foundation/Text.h"

namespace sw {

namespace {

constexpr int kSongsPerAlbum = 12;
constexpr int kSongsPerArtist = 40;
constexpr int kPlaylists = 36;
constexpr int kTextWidth = 80;  // TITLE, ALNAME, ARNAME, comment
constexpr int kFileNameWidth = 255;
constexpr int kCommitEvery = 5000;

const QStringList kWords = {
    "Love",    "Night",  "Blue",     "River",    "Fire",    "Heart",    "Dream",  "Rain",   "Summer",
    "Road",    "Light",  "Shadow",   "Time",     "Moon",    "Gold",     "Silver", "Wild",   "Home",
    "Dance",   "Song",   "City",     "Train",    "Morning", "Stone",    "Ocean",  "Sky",    "Broken",
    "Endless", "Little", "Sweet",    "Electric", "Lonely",  "Midnight", "Crazy",  "Golden", "Winter",
    "Window",  "Mirror", "Paper",    "Thunder",  "Highway", "Garden",   "Angel",  "Devil",  "Radio",
    "Velvet",  "Sugar",  "Paradise", "Freedom",  "Memory",  "Whisper",  "Echo",   "Storm",  "Island",
    "Harbour", "Letter", "Promise",  "Secret",   "Journey", "Wonder",   "of",     "the",    "in",
    "and",     "my",     "your",     "on",       "at",      "to",       "for"};

/// Words that test quoting, case folding and the text encodings.
const QStringList kOddWords = {"Don't",  "Rock 'n' Roll", "O'Brien's",      "\"Live\"",    "It's",
                               "Café",   "Björk",         "Mötley",         "Déjà Vu",     "Señor",
                               "Ærø",    "Łódź",          "Москва",         "Ελλάδα",      "Jalapeño",
                               "Naïve",  "Über",          "Crème",          "Smörgåsbord", "Zoë",
                               "Dvořák", "L'été",         "Who's \"That\"", "Ain't",       "Ça Va"};

const QStringList kFirstNames = {"John",  "Mary",    "Ella",    "Miles", "Nina",   "Otis",   "Aretha",
                                 "Bob",   "Joni",    "Leonard", "Patsy", "Hank",   "Sinéad", "Françoise",
                                 "Björn", "Agnetha", "Zoë",     "Seán",  "Dmitri", "Yoko",   "Chloé"};
const QStringList kLastNames = {"Smith",  "Davis",    "Young",    "Mitchell", "Cohen",        "O'Connor",
                                "Hardy",  "Ulvaeus",  "Fältskog", "Ono",      "Shostakovich", "Brown",
                                "Parker", "Williams", "Nelson",   "D'Arby",   "Núñez",        "Kowalczyk"};

/// Draws from the generator's one random sequence.
class Draw {
public:
    explicit Draw(std::uint32_t seed) : m_random(seed) {}

    /// 0 .. n-1.
    int Below(int n) { return n <= 1 ? 0 : std::uniform_int_distribution<int>(0, n - 1)(m_random); }
    int Between(int low, int high) { return low + Below(high - low + 1); }
    bool Chance(int percent) { return Below(100) < percent; }
    const QString& Pick(const QStringList& list) { return list[Below(static_cast<int>(list.size()))]; }

    QString Word() { return Chance(12) ? Pick(kOddWords) : Pick(kWords); }
    /// A word that can start a name.
    QString CapitalWord() {
        QString word = Word();
        while (!word.front().isUpper()) {
            word = Word();
        }
        return word;
    }

    QString Phrase(int minWords, int maxWords) {
        QStringList words;
        const int count = Between(minWords, maxWords);
        for (int i = 0; i < count; ++i) {
            words << Word();
        }
        // Lower-case joining words do not start a phrase.
        if (words.front().front().isLower()) {
            words.front()[0] = words.front().front().toUpper();
        }
        return words.join(' ');
    }

    /// Mostly short, sometimes long enough to fill the column.
    QString Text(int minWords, int maxWords) {
        return Chance(8) ? Limited(Phrase(10, 18), kTextWidth) : Phrase(minWords, maxWords);
    }

    static QString Limited(const QString& text, int width) {
        QString cut = LeftChars(text, width);
        TrimTrailingBlanks(cut);
        return cut;
    }

private:
    std::mt19937 m_random;
};

/// The first artists and albums, so that even a small catalogue has names that need quoting.
const QStringList kFirstArtists = {"Sinéad O'Connor", "The \"Live\" Band", "Москва Ensemble"};
const QStringList kFirstAlbums = {"Greatest \"Hits\" of the '70s", "Café Society", "Don't Look Back"};

QString ArtistName(Draw& draw, int index) {
    if (index < kFirstArtists.size()) {
        return kFirstArtists[index];
    }
    const int kind = draw.Below(10);
    if (kind < 4) {
        return draw.Pick(kFirstNames) + ' ' + draw.Pick(kLastNames);
    }
    if (kind < 7) {
        return "The " + draw.CapitalWord() + ' ' + draw.CapitalWord() + 's';
    }
    if (kind < 9) {
        return draw.Phrase(1, 3);
    }
    return Draw::Limited("The " + draw.Phrase(6, 12) + " Orchestra and Chorus", kTextWidth);
}

QString AlbumName(Draw& draw, int index) {
    if (index < kFirstAlbums.size()) {
        return kFirstAlbums[index];
    }
    switch (draw.Below(12)) {
        case 0:
            return "Greatest Hits";
        case 1:
            return "Live at " + draw.Pick(kLastNames) + "'s";
        case 2:
            return draw.Phrase(1, 3) + " (Vol. " + QString::number(draw.Between(2, 4)) + ")";
        default:
            return draw.Text(1, 4);
    }
}

QString PlaylistName(Draw& draw, int index) {
    static const QStringList kStarts = {"Road trip", "Mum's favourites", "\"Chill\" evening", "Café mix",
                                        "Party",     "Sunday morning",   "Workout",           "Rainy day"};
    QString name = index < kStarts.size() ? kStarts[index] : draw.Phrase(1, 3);
    if (draw.Chance(15)) {
        name += " - " + draw.Phrase(5, 10);
    }
    return Draw::Limited(name, kPlaylistNameWidth);
}

/// A name usable as one part of a path.
QString PathPart(QString text) {
    text.replace('/', '-');
    return text.isEmpty() ? "_" : text;
}

QString Extension(Draw& draw) {
    const int n = draw.Below(100);
    return n < 80 ? "mp3" : n < 94 ? "ogg" : n < 97 ? "m4a" : n < 99 ? "wav" : "wma";
}

int Rating(Draw& draw) {
    const int n = draw.Below(100);
    if (n < 50) {
        return 0;
    }
    if (n < 58) {
        return 1;
    }
    if (n < 78) {
        return 2;
    }
    if (n < 90) {
        return 3;
    }
    if (n < 94) {
        return 4;
    }
    return n < 98 ? -1 : -2;
}

QString Comment(Draw& draw) {
    const int n = draw.Below(100);
    if (n < 85) {
        return {};
    }
    if (n < 90) {
        return "from " + QString::number(draw.Below(3)) + ":" + PadNumber(draw.Below(60), 2) + " live";
    }
    if (n < 94) {
        return "Recorded \"live\" at " + draw.Pick(kLastNames) + "'s";
    }
    return draw.Text(2, 6);
}

int IntOf(Catalogue& catalogue, const QString& sql) {
    catalogue.RunQuery(sql);
    return catalogue.QueryInt("n");
}

struct AlbumPlan {
    int id = 0;
    int artistId = 0;
    bool compilation = false;
    QString name;
    QString year;
    int genreId = kNoGenre;
    int size = 0;
    TDateTime created = 0;
    QString folder;
};

}  // namespace

GeneratedCounts GenerateCatalogue(Catalogue& catalogue, const GeneratorOptions& options,
                                  const std::function<void(const QString&)>& progress) {
    const auto say = [&](const QString& text) {
        if (progress) {
            progress(text);
        }
    };
    const int existing = IntOf(catalogue, "select count(*) as n from song");
    if (existing > 0) {
        throw std::runtime_error(("The catalogue already holds " + QString::number(existing) +
                                  " songs; generating needs one without songs")
                                     .toStdString());
    }
    if (options.songs <= 0) {
        throw std::invalid_argument("The number of songs must be above 0");
    }
    Draw draw(options.seed);
    const TDateTime now = options.now != 0 ? options.now : NowDateTime();
    const double today = std::floor(now);
    GeneratedCounts counts;
    int pending = 0;
    const auto countPending = [&] {
        if (++pending >= kCommitEvery) {
            catalogue.CommitAndContinue();
            pending = 0;
        }
    };

    // Artists, with "various" for the compilations.
    int variousId = IntOf(catalogue, "select min(artistid) as n from artist where lower(arname) = 'various'");
    int nextArtist = IntOf(catalogue, "select max(artistid) as n from artist") + 1;
    Query insertArtist(catalogue, "insert into artist (artistid, arname) values (:id, :name)");
    if (variousId <= 0) {
        variousId = nextArtist++;
        insertArtist.SetInteger("id", variousId).SetText("name", "various").Execute();
    }
    const int artistCount = std::max(1, options.songs / kSongsPerArtist);
    std::vector<int> artistIds;
    std::vector<QString> artistNames;
    QSet<QString> takenArtists{"various"};
    for (int i = 0; i < artistCount; ++i) {
        const QString drawn = ArtistName(draw, i);
        QString name = drawn;
        for (int n = 2; takenArtists.contains(name.toLower()); ++n) {
            name = Draw::Limited(drawn, kTextWidth - 8) + " (" + QString::number(n) + ")";
        }
        takenArtists.insert(name.toLower());
        insertArtist.SetInteger("id", nextArtist).SetText("name", name).Execute();
        artistIds.push_back(nextArtist++);
        artistNames.push_back(name);
        countPending();
    }
    counts.artists = artistCount;
    say("artists " + QString::number(artistCount));

    std::vector<int> genres;
    const RowSet genreRows = catalogue.Select("select genreid from genre order by genreid");
    for (int row = 0; row < genreRows.RowCount(); ++row) {
        genres.push_back(genreRows.Value(row, 0).toInt());
    }

    // Album sizes average 12 and vary from 6 to 18; the last album takes the rest.
    const int albumCount = std::max(1, options.songs / kSongsPerAlbum);
    std::vector<int> sizes(static_cast<std::size_t>(albumCount), kSongsPerAlbum);
    for (std::size_t i = 0; i + 1 < sizes.size(); i += 2) {
        const int moved = draw.Between(-6, 6);
        sizes[i] += moved;
        sizes[i + 1] -= moved;
    }
    // Under 12 songs this leaves the one album with all of them.
    sizes.back() += options.songs - albumCount * kSongsPerAlbum;

    const int firstAlbum = IntOf(catalogue, "select max(albumid) as n from album") + 1;
    std::vector<AlbumPlan> albums;
    QSet<QString> takenFolders;
    for (int i = 0; i < albumCount; ++i) {
        AlbumPlan album;
        album.id = firstAlbum + i;
        album.compilation = draw.Chance(6);
        const int artistIndex = draw.Below(artistCount);
        album.artistId = album.compilation ? variousId : artistIds[static_cast<std::size_t>(artistIndex)];
        album.name = AlbumName(draw, i);
        album.year = QString::number(draw.Between(1955, 2024));
        album.genreId = genres.empty() || draw.Chance(4)
                            ? kNoGenre
                            : genres[static_cast<std::size_t>(draw.Below(static_cast<int>(genres.size())))];
        album.size = sizes[static_cast<std::size_t>(i)];
        album.created = today - draw.Between(1, 5 * 365) + draw.Below(86400) / 86400.0;
        const QString artistFolder =
            album.compilation ? "Compilations" : PathPart(artistNames[static_cast<std::size_t>(artistIndex)]);
        album.folder = artistFolder + '/' + PathPart(album.name);
        if (takenFolders.contains(album.folder.toLower())) {
            album.folder += " (" + album.year + ")";
        }
        if (takenFolders.contains(album.folder.toLower())) {
            album.folder += " [" + QString::number(album.id) + "]";
        }
        takenFolders.insert(album.folder.toLower());
        albums.push_back(album);
    }

    Query insertSong(
        catalogue,
        "insert into song (songnum, title, track, genreid, \"year\", createts, searchts, editts, "
        "rating, fn, duration, exi, albumid, \"comment\", \"size\", artistid) values (:songnum, "
        ":title, :track, :genreid, :year, :ts, :ts, :ts, :rating, :fn, :duration, :exi, :albumid, "
        ":comment, :size, :artistid)");
    Query insertAlbum(
        catalogue,
        "insert into album (albumid, alname, rprts, \"year\", numexi, createts, artistid, grpid, "
        "alorgrp, ratingdrvd, ratingassd, ratingsumm, seq) values (:id, :name, :ts, :year, "
        ":numexi, :ts, :artistid, 0, 'A', :drvd, :assd, :summ, 0)");
    std::vector<int> durations{0};  // by song number
    int songNum = 0;
    for (const AlbumPlan& album : albums) {
        std::vector<int> existingRatings;
        for (int track = 1; track <= album.size; ++track) {
            ++songNum;
            const QString title = draw.Text(1, 4);
            const int rating = Rating(draw);
            const bool exists = !draw.Chance(3);
            const int duration = draw.Chance(5) ? draw.Between(420, 1500) : draw.Between(90, 420);
            const int artistId = album.compilation
                                     ? artistIds[static_cast<std::size_t>(draw.Below(artistCount))]
                                     : album.artistId;
            QString year = album.compilation ? QString::number(draw.Between(1955, 2024)) : album.year;
            if (draw.Chance(3)) {
                year.clear();
            }
            const QString extension = Extension(draw);
            const QString start = album.folder + '/' + PadNumber(track, 2) + " - ";
            const int room = kFileNameWidth - CharCount(start) - CharCount(extension) - 1;
            QString namePart = Draw::Limited(PathPart(title), room);
            const QString fileName = start + namePart + '.' + extension;
            const TDateTime created = album.created + track / 86400.0;
            insertSong.SetInteger("songnum", songNum)
                .SetText("title", title)
                .SetInteger("track", track)
                .SetInteger("genreid", album.genreId)
                .SetText("year", year)
                .SetTimestamp("ts", created)
                .SetInteger("rating", rating)
                .SetText("fn", fileName)
                .SetInteger("duration", duration)
                .SetInteger("exi", exists ? 1 : 0)
                .SetInteger("albumid", album.id)
                .SetText("comment", Comment(draw))
                .SetInteger("size", static_cast<qint64>(duration) * draw.Between(128, 320) * 125)
                .SetInteger("artistid", artistId)
                .Execute();
            durations.push_back(duration);
            if (exists) {
                existingRatings.push_back(rating);
            }
            countPending();
            if (songNum % 10000 == 0) {
                say("songs " + QString::number(songNum) + " / " + QString::number(options.songs));
            }
        }
        bool counted = false;
        const int derived = DerivedAlbumRating(existingRatings, &counted);
        const bool assigned = draw.Chance(3);
        const int byHand = draw.Between(-2, 3);  // never 0, which means "no rating assigned"

        insertAlbum.SetInteger("id", album.id)
            .SetText("name", album.name)
            .SetTimestamp("ts", album.created)
            .SetText("year", album.compilation ? "vari" : album.year)
            .SetInteger("numexi", static_cast<qint64>(existingRatings.size()))
            .SetInteger("artistid", album.artistId)
            .SetInteger("drvd", counted ? derived : 20)
            .SetInteger("assd", assigned ? 1 : 0)
            .SetInteger("summ",
                        assigned ? 10 * (byHand >= 0 ? byHand + 1 : byHand) : (counted ? derived : 20))
            .Execute();
        countPending();
    }
    counts.songs = songNum;
    counts.albums = albumCount;
    catalogue.CommitAndContinue();

    // Playlists: most of a few dozen entries, every sixth of hundreds.
    const int firstPlaylist = std::max(1, IntOf(catalogue, "select max(plid) as n from plist") + 1);
    Query insertPlaylist(catalogue, "insert into plist (plid, plname, pldate) values (:id, :name, :pldate)");
    Query insertEntry(catalogue, "insert into songinpl (plid, seq, songnum) values (:id, :seq, :songnum)");
    QSet<QString> takenPlaylists;
    for (int i = 0; i < kPlaylists; ++i) {
        const QString drawn = PlaylistName(draw, i);
        QString name = drawn;
        for (int n = 2; takenPlaylists.contains(name); ++n) {
            name = Draw::Limited(drawn, kPlaylistNameWidth - 4) + " " + QString::number(n);
        }
        takenPlaylists.insert(name);
        const int id = firstPlaylist + i;
        insertPlaylist.SetInteger("id", id)
            .SetText("name", name)
            .SetInteger("pldate", DateNumber(DateTimeToStamp(today - draw.Between(1, 365)).date))
            .Execute();
        const int entries = i % 6 == 0 ? draw.Between(200, 900) : draw.Between(5, 60);
        for (int seq = 1; seq <= entries; ++seq) {
            insertEntry.SetInteger("id", id)
                .SetInteger("seq", seq)
                .SetInteger("songnum", draw.Between(1, songNum));
            insertEntry.Execute();
            countPending();
        }
        counts.playlistEntries += entries;
    }
    counts.playlists = kPlaylists;
    catalogue.CommitAndContinue();
    say("playlists " + QString::number(kPlaylists) + " with " + QString::number(counts.playlistEntries) +
        " entries");

    // A year of listening, ending yesterday: sessions of songs played one after another.
    Query insertPlay(
        catalogue,
        "insert into history (songnum, ts, pldate, pltime) values (:songnum, :ts, :pldate, :pltime)");
    const int perDay = std::clamp(options.songs / 2000, 8, 60);
    for (int daysBack = 365; daysBack >= 1; --daysBack) {
        const double day = today - daysBack;
        int second = draw.Between(7 * 3600, 20 * 3600);
        const int plays = draw.Below(2 * perDay + 1);
        for (int i = 0; i < plays && second < 86400; ++i) {
            const int song = draw.Between(1, songNum);
            const TDateTime ts = day + second / 86400.0;
            const Stamp stamp = DateTimeToStamp(ts);
            insertPlay.SetInteger("songnum", song)
                .SetTimestamp("ts", ts)
                .SetInteger("pldate", DateNumber(stamp.date))
                .SetInteger("pltime", TimeNumber(stamp.time))
                .Execute();
            ++counts.historyRows;
            countPending();
            second += durations[static_cast<std::size_t>(song)] + draw.Below(30);
        }
    }
    catalogue.CommitAndContinue();
    say("history rows " + QString::number(counts.historyRows));
    return counts;
}

}  // namespace sw
