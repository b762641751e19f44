#include "SongListSql.h"

#include "core/SongSearchTable.h"

#include <QStringList>
#include <algorithm>
#include <utility>

namespace sw {

namespace {

const char* const kSongQueryA =
    "SELECT s.track as seq, s.* , al.alname, ar.arname, g.gname, s.createts as ts FROM song S";
const char* const kPlaylistQueryB =
    "SELECT sp.seq, s.* , al.alname, ar.arname, g.gname, s.createts as ts FROM songinpl sp";
const char* const kHistoryQueryC =
    "SELECT h.songnum as seq, s.* , al.alname, ar.arname, g.gname, h.ts, h.pldate FROM history h";
const char* const kSearchQuery = "SELECT s.songnum FROM song s";
const char* const kSongKeys =
    "SELECT s.songnum, s.track, s.albumid, s.artistid, s.genreid, s.title, s.\"year\", s.\"comment\"";

QString NumberList(const std::vector<int>& numbers, std::size_t first, std::size_t count) {
    QStringList each;
    for (std::size_t i = first; i < std::min(numbers.size(), first + count); ++i) {
        each << QString::number(numbers[i]);
    }
    return each.join(", ");
}

/// The catalogue takes at most 1,500 values in one IN list.
constexpr std::size_t kInListValues = 1000;

/// "(s.column in (...)) or (s.column in (...))", at most kInListValues in each list.
QStringList InConditions(const QString& column, const std::vector<int>& numbers) {
    QStringList each;
    for (std::size_t first = 0; first < numbers.size(); first += kInListValues) {
        each << "(" + column + " in (" + NumberList(numbers, first, kInListValues) + "))";
    }
    return each;
}

const QStringList kNameJoins{
    "LEFT JOIN genre G ON g.genreid = s.genreid",
    "LEFT JOIN album al ON al.albumid = s.albumid",
    "LEFT JOIN artist ar ON ar.artistid = s.artistid",
};

const char* const kStampOrder = "ORDER BY al.alname, s.track, ar.arname, s.title, s.songnum";

/// The runs of consecutive numbers in a sorted list, as first and last.
std::vector<std::pair<int, int>> Runs(const std::vector<int>& numbers) {
    std::vector<std::pair<int, int>> runs;
    for (const int number : numbers) {
        if (!runs.empty() && number == runs.back().second + 1) {
            runs.back().second = number;
        } else {
            runs.emplace_back(number, number);
        }
    }
    return runs;
}

QString FoundCondition(const std::vector<int>& found, bool& alternatives) {
    if (found.empty()) {
        return "(1 = 0)";
    }
    if (FoundSongsAskedBySpan(found)) {
        return "(s.songnum between " + QString::number(found.front()) + " and " +
               QString::number(found.back()) + ")";
    }
    QStringList each;
    for (const auto& [first, last] : Runs(found)) {
        each << (first == last ? "(s.songnum = " + QString::number(first) + ")"
                               : "(s.songnum between " + QString::number(first) + " and " +
                                     QString::number(last) + ")");
    }
    alternatives = each.size() > 1;
    return each.join(" or ");
}

/// The mode's condition without "WHERE"; `alternatives` when it is two conditions joined by "or".
QString ModeCondition(const SongListQueryParts& parts, bool& alternatives) {
    alternatives = false;
    switch (parts.mode) {
        case SongListMode::Album:
            return "s.albumid = :id";
        case SongListMode::Artist:
            if (parts.noArtist) {
                alternatives = true;
                return "(s.artistid is null) or (s.artistid = 0)";
            }
            return "s.artistid = :id";
        case SongListMode::Genre:
            return "s.genreid = :id";
        case SongListMode::Stamp:
            if (!parts.searchCondition.isEmpty()) {
                alternatives = true;
                return parts.searchCondition;
            }
            return parts.found ? FoundCondition(*parts.found, alternatives) : "(s.searchts = :ts)";
        case SongListMode::Singles:
            alternatives = true;
            return "(s.albumid is null) or (s.albumid <= 0)";
        case SongListMode::Playlist:
            return "(sp.plid = :id)";
        case SongListMode::Recent:
            return "(s.createts >= :recentdate)";
        case SongListMode::PlayHistory:
            return "(h.pldate = " + QString::number(parts.historyDay) + ")";
    }
    return {};
}

QString ModeOrder(SongListMode mode) {
    switch (mode) {
        case SongListMode::Album:
            return "ORDER BY s.track, s.title";
        case SongListMode::Artist:
            return "ORDER BY s.\"year\", al.alname, s.track, s.title";
        case SongListMode::Genre:
            return "ORDER BY s.songnum";
        case SongListMode::Stamp:
        case SongListMode::Recent:
            return kStampOrder;
        case SongListMode::Singles:
            return "ORDER BY s.\"year\", ar.arname, s.songnum";
        case SongListMode::Playlist:
            return "ORDER BY sp.seq";
        case SongListMode::PlayHistory:
            return "ORDER BY h.ts";
    }
    return {};
}

/// A song's own place as SONGSEARCH holds it: the same text, in the case a search compares.
QString StoredPlaceColumn(SearchPlace place) {
    switch (place) {
        case SearchPlace::Title:
            return "x.lowtitle";
        case SearchPlace::FileName:
            return "x.lowfn";
        case SearchPlace::Comment:
            return "x.lowcomment";
        case SearchPlace::AlbumName:
        case SearchPlace::ArtistName:
        case SearchPlace::Anywhere:
            break;
    }
    return {};
}

QString PlaceColumn(SearchPlace place) {
    switch (place) {
        case SearchPlace::AlbumName:
            return "lower(al.alname)";
        case SearchPlace::ArtistName:
            return "lower(ar.arname)";
        case SearchPlace::Title:
            return "lower(s.title)";
        case SearchPlace::FileName:
            return "lower(s.fn)";
        case SearchPlace::Comment:
            return "lower(s.\"comment\")";
        case SearchPlace::Anywhere:
            break;
    }
    return {};
}

/// True when a letter of the text changes its length in UTF-8 with its case (the dotless i and
/// the long s become I and S).
bool CaseChangesLength(const QString& text) {
    for (const char32_t letter : text.toUcs4()) {
        const QString one = QString::fromUcs4(&letter, 1);
        const qsizetype bytes = one.toUtf8().size();
        if (one.toUpper().toUtf8().size() != bytes || one.toLower().toUtf8().size() != bytes) {
            return true;
        }
    }
    return false;
}

/// The search text as the conditions quote it, lower-cased.
QString SearchLiteral(const QString& doubledText) {
    return "'" + doubledText.toLower() + "'";
}

/// `column containing literal`; with `upperFirst` both sides are upper-cased by UPPER first. The
/// catalogue's CONTAINING upper-cases a text into a buffer of the text's own length, so a text
/// with a letter whose upper case is longer in UTF-8 (the turned a, ɐ, becomes Ɐ) stops the whole
/// statement with "string right truncation"; UPPER makes room for it, and CONTAINING then finds the
/// same rows, as upper-casing an upper-cased text changes nothing.
QString Containing(const QString& column, const QString& literal, bool upperFirst) {
    return upperFirst ? "upper(" + column + ") containing upper(" + literal + ")"
                      : column + " containing " + literal;
}

}  // namespace

bool FoundSongsAskedBySpan(const std::vector<int>& found) {
    int runs = 0;
    for (std::size_t i = 0; i < found.size(); ++i) {
        if (i == 0 || found[i] != found[i - 1] + 1) {
            if (++runs > kFoundRunsAskedFor) {
                return true;
            }
        }
    }
    return false;
}

QString RatingFilterCondition(int filter) {
    switch (filter) {
        case 0:
            return "AND (s.rating >= 0)";
        case 1:
            return "AND (s.rating >= 2 or s.rating = 0)";
        case 2:
            return "AND (s.rating >= 2)";
        case 3:
            return "AND (s.rating >= 3)";
        case 4:
            return "AND (s.rating = 4)";
        case -1:
            return "AND (s.rating < 0)";
        default:
            return {};
    }
}

/// The condition lines of a list: the mode's condition and the added ones.
static QStringList ConditionLines(const SongListQueryParts& parts) {
    QStringList added;
    if (parts.mode != SongListMode::PlayHistory) {
        if (parts.hideMissing) {
            added << "AND (s.exi = 1)";
        }
        if (const QString rating = RatingFilterCondition(parts.ratingFilter); !rating.isEmpty()) {
            added << rating;
        }
    }
    bool alternatives = false;
    QString condition = ModeCondition(parts, alternatives);
    // "a or b AND c" would apply c to b alone; the added conditions hold for every row.
    if (alternatives && !added.isEmpty()) {
        condition = "(" + condition + ")";
    }
    return QStringList{"WHERE " + condition} + added;
}

QString SongListQueryText(const SongListQueryParts& parts) {
    QStringList lines;
    switch (parts.mode) {
        case SongListMode::Playlist:
            lines << kPlaylistQueryB << "LEFT JOIN song s ON s.songnum = sp.songnum";
            break;
        case SongListMode::PlayHistory:
            lines << kHistoryQueryC << "JOIN song s ON s.songnum = h.songnum";
            break;
        default:
            lines << kSongQueryA;
            break;
    }
    lines << kNameJoins << ConditionLines(parts) << ModeOrder(parts.mode);
    return lines.join('\n');
}

bool ListReadsKeysFirst(SongListMode mode) {
    return mode != SongListMode::Playlist && mode != SongListMode::PlayHistory;
}

QString SongKeysQueryText(const SongListQueryParts& parts) {
    QStringList lines{QString(kSongKeys) + " FROM song s"};
    lines << ConditionLines(parts);
    return lines.join('\n');
}

QString SongRowsQueryText(const std::vector<int>& songNums) {
    QStringList lines{kSongQueryA};
    lines << kNameJoins;
    const QStringList each = InConditions("s.songnum", songNums);
    lines << "WHERE " + (each.isEmpty() ? QString("(1 = 0)") : each.join(" or "));
    return lines.join('\n');
}

QString SongColumnQueryText(const QString& column, int first, int last) {
    QString name = column.compare("TS", Qt::CaseInsensitive) == 0 ? QString("createts") : column;
    if (name == name.toLower() && name != "createts") {
        name = "\"" + name + "\"";
    }
    return "SELECT s.songnum, s." + name + " FROM song s WHERE s.songnum between " + QString::number(first) +
           " and " + QString::number(last);
}

QString HeldSearchTextQuery(const QString& doubledText) {
    // A quoted text is of a fixed length, which the answer would lose its trailing blanks to. The
    // width counts the lower-cased text's UTF-16 units, never fewer than its letters.
    const QString literal = SearchLiteral(doubledText);
    const auto width = std::max<qsizetype>(literal.size() - 2, 1);
    return "select " + HeldSearchForm("cast(" + literal + " as varchar(" + QString::number(width) + "))") +
           " as held from rdb$database";
}

SearchParts SearchPartsText(SearchPlace place, const QString& doubledText, bool titleEquals, bool upperFirst,
                            const QString& heldLiteral) {
    const auto chosen = [place](SearchPlace each) { return place == SearchPlace::Anywhere || place == each; };
    // An exact title is found through the index on the lower-cased title; a text held anywhere in
    // the songs' own columns is looked for, as it stands, in their copies in SONGSEARCH, each song
    // joined by its number.
    const bool stored = SearchReadsStoredTexts(place, titleEquals);
    // Every part lists the keys (with EXI) of the songs it finds.
    const auto keysFrom = [](const QString& from, const QString& condition) {
        return QString(kSongKeys) + ", s.exi FROM " + from + "\nwhere " + condition;
    };
    SearchParts parts;
    QString own;
    for (const SearchPlace each : {SearchPlace::Title, SearchPlace::FileName, SearchPlace::Comment}) {
        if (chosen(each)) {
            own += (own.isEmpty() ? "" : "or ") +
                   (stored ? "(position(" + heldLiteral + " in " + StoredPlaceColumn(each) + ") > 0)"
                           : SearchCondition(each, doubledText, titleEquals, upperFirst));
        }
    }
    if (!own.isEmpty()) {
        parts.songKeys =
            keysFrom(stored ? "songsearch x\nJOIN song s ON s.songnum = x.songnum" : "song s", own);
    }
    // The names are read first and their songs through the song table's index on the name's id:
    // the "+ 0" keeps the engine from reading every song and looking its name up by key instead.
    const auto songsOfNames = [&](SearchPlace name, const char* table, const char* alias, const char* id) {
        return keysFrom(QString("%1 %2\nJOIN song s ON s.%3 = %2.%3 + 0").arg(table, alias, id),
                        SearchCondition(name, doubledText, titleEquals, upperFirst));
    };
    if (chosen(SearchPlace::AlbumName)) {
        parts.albumSongKeys = songsOfNames(SearchPlace::AlbumName, "album", "al", "albumid");
    }
    if (chosen(SearchPlace::ArtistName)) {
        parts.artistSongKeys = songsOfNames(SearchPlace::ArtistName, "artist", "ar", "artistid");
    }
    return parts;
}

bool SearchReadsStoredTexts(SearchPlace place, bool titleEquals) {
    return !titleEquals && place != SearchPlace::AlbumName && place != SearchPlace::ArtistName;
}

bool SearchReadableInTwoSteps(const QString& doubledText, bool titleEquals) {
    return titleEquals || !CaseChangesLength(SearchLiteral(doubledText));
}

QString SearchCondition(SearchPlace place, const QString& doubledText, bool titleEquals, bool upperFirst) {
    const QString literal = SearchLiteral(doubledText);
    QList<SearchPlace> places;
    if (place == SearchPlace::Anywhere) {
        places = {SearchPlace::AlbumName, SearchPlace::ArtistName, SearchPlace::Title, SearchPlace::FileName,
                  SearchPlace::Comment};
    } else {
        places = {place};
    }
    QString condition;
    for (const SearchPlace each : places) {
        const QString test = titleEquals ? PlaceColumn(each) + " = " + literal
                                         : Containing(PlaceColumn(each), literal, upperFirst);
        condition += (condition.isEmpty() ? "" : "or ") + ("(" + test + ")");
    }
    return condition;
}

QString SearchQueryText(SearchPlace place, const QString& doubledText, bool titleEquals, bool upperFirst) {
    QStringList lines{kSearchQuery};
    lines << kNameJoins << "where " + SearchCondition(place, doubledText, titleEquals, upperFirst);
    return lines.join('\n');
}

}  // namespace sw
