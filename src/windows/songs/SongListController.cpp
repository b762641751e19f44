#include "SongListController.h"

#include <QFile>
#include <algorithm>
#include <functional>
#include <numeric>
#include <optional>

#include "SongListRows.h"
#include "SongListSql.h"
#include "core/Catalogue.h"
#include "core/Library.h"
#include "core/Query.h"
#include "core/Settings.h"
#include "core/SongSearchTable.h"
#include "foundation/Clock.h"
#include "foundation/Dialogs.h"
#include "foundation/Text.h"
#include "playback/AlbumSummary.h"
#include "core/Playlists.h"

namespace sw {

/// Where the grid's fields sit in the list's row set.
struct SongListController::Fields {
    explicit Fields(const RowSet& rows)
        : seq(rows.ColumnIndex("SEQ")),
          songNum(rows.ColumnIndex("SONGNUM")),
          album(rows.ColumnIndex("ALNAME")),
          track(rows.ColumnIndex("TRACK")),
          artist(rows.ColumnIndex("ARNAME")),
          title(rows.ColumnIndex("TITLE")),
          year(rows.ColumnIndex("year")),
          duration(rows.ColumnIndex("DURATION")),
          exi(rows.ColumnIndex("EXI")),
          fn(rows.ColumnIndex("FN")),
          rating(rows.ColumnIndex("RATING")),
          genre(rows.ColumnIndex("GNAME")),
          comment(rows.ColumnIndex("comment")),
          ts(rows.ColumnIndex("TS")) {}

    int seq, songNum, album, track, artist, title, year, duration, exi, fn, rating, genre, comment, ts;
};

namespace {

SongListRequest MakeRequest(SongListType type, int number = 0, int remembered = 0) {
    SongListRequest request;
    request.Type = type;
    request.Number = number;
    request.RememberedSong = remembered;
    return request;
}

const char* const kSinglesCaption = "Songs not in an album (\"Singles\")";

QString FieldText(const RowSet& rows, int row, int column) {
    const QVariant& value = rows.Value(row, column);
    return value.isValid() ? value.toString() : QString();
}

/// Clears the building mark however the build ends.
class BuildingScope {
public:
    explicit BuildingScope(bool& building) : m_building(building) { m_building = true; }
    ~BuildingScope() { m_building = false; }
    BuildingScope(const BuildingScope&) = delete;
    BuildingScope& operator=(const BuildingScope&) = delete;

private:
    bool& m_building;
};

}  // namespace

SongListController::SongListController(Library& library, Playlists& playlists, const Clock& clock)
    : m_library(library), m_playlists(playlists), m_clock(clock), m_model(std::make_unique<RowSetModel>()) {
    m_model->SetRowMarked([this](int row) { return IsSelected(row); });
}

SongListController::~SongListController() = default;

// Requests.

void SongListController::ShowAlbumSongs(int albumId, int positionOn) {
    ShowSongList(MakeRequest(SongListType::Album, albumId, positionOn));
}

void SongListController::ShowArtistSongs(int artistId, int positionOn) {
    ShowSongList(MakeRequest(SongListType::Artist, artistId, positionOn));
}

void SongListController::ShowGenreSongs(int genreId, int positionOn) {
    ShowSongList(MakeRequest(SongListType::Genre, genreId, positionOn));
}

void SongListController::ShowSingles() {
    ShowSongList(MakeRequest(SongListType::Singles));
}

void SongListController::ShowPlaylistSongs(int playlistId) {
    ShowSongList(MakeRequest(SongListType::Playlist, playlistId));
}

void SongListController::ShowPlaylistAtSeq(int playlistId, int seq) {
    ShowPlaylistSongs(playlistId);
    if (m_queryOpen && m_mode == SongListMode::Playlist && m_playlistId == playlistId) {
        PositionAtSeq(seq);
    }
}

void SongListController::ShowLastLoaded() {
    m_library.settings.FILTER = 99;
    m_durationsFixMarked = true;
    SongListRequest request = MakeRequest(SongListType::LastLoaded);
    request.Stamp = m_library.settings.LastLoadedTS;
    ShowSongList(request);
}

void SongListController::ShowRecentSongs() {
    ShowSongList(MakeRequest(SongListType::Recent));
}

void SongListController::ShowRecentSongs(int days) {
    m_library.settings.DAYSRECENT = days;
    ShowRecentSongs();
}

void SongListController::ShowHistoryDay(int day) {
    ShowSongList(MakeRequest(SongListType::HistoryDay, day));
}

void SongListController::ShowSongList(const SongListRequest& request) {
    m_request.RememberedSong = CurrentSongNum();
    const SongListRequest previous = m_request;
    const bool pushed = previous.Type != SongListType::None;
    if (pushed) {
        m_back.push_back(previous);
    }
    m_request = request;
    // A list that cannot be shown leaves the previous one in place, with its request and its Back.
    if (!RunRequest()) {
        m_request = previous;
        if (pushed) {
            m_back.pop_back();
        }
    }
    Changed();
}

void SongListController::SongListBack() {
    if (m_back.empty()) {
        return;
    }
    m_search = SearchOptions{};
    const SongListRequest current = m_request;
    m_request = m_back.back();
    m_back.pop_back();
    if (!RunRequest()) {
        m_request = current;
    }
    Changed();
}

bool SongListController::RunRequest() {
    const SongListRequest request = m_request;
    bool shown = true;
    switch (request.Type) {
        case SongListType::Album:
            shown = SetAlbumMode(request.Number);
            break;
        case SongListType::Artist:
            shown = SetArtistMode(request.Number);
            break;
        case SongListType::Genre:
            shown = SetGenreMode(request.Number);
            break;
        case SongListType::Singles:
            SetSinglesMode();
            break;
        case SongListType::Playlist:
            shown = SetPlaylistMode(request.Number);
            break;
        case SongListType::Recent:
            SetRecentMode();
            break;
        case SongListType::HistoryDay:
            SetHistoryMode(request.Number);
            break;
        case SongListType::Search:
        case SongListType::Title:
            m_search = request.Options;
            shown = RunSearchRequest(request);
            if (shown) {
                SetStampMode(true, m_searchStamp,
                             request.Type == SongListType::Title ? " Title = " + QuoteDouble(request.Text)
                                                                 : "search for " + QuoteDouble(request.Text));
            }
            break;
        case SongListType::LastLoaded: {
            SetStampMode(false, request.Stamp, "Last loaded ( at " + FormatDateTime(2, request.Stamp) + " )");
            // Songs the run loaded without a length are measured once, right after their list
            // (on a catalogue that may be written; a read-only one leaves them for later).
            const bool marked = m_durationsFixMarked;
            m_durationsFixMarked = false;
            if (marked && m_library.songs.loadedWithoutDuration && m_measure &&
                !m_library.settings.READONLY) {
                m_library.songs.loadedWithoutDuration = false;
                FixDurations();
            }
            break;
        }
        case SongListType::None:
            shown = false;
            break;
    }
    if (shown && m_queryOpen) {
        if (request.Type == SongListType::Playlist) {
            SetCurrent(RowCount() > 0 ? 0 : -1);
        } else if (request.RememberedSong > 0) {
            GoToSong(request.RememberedSong);
        }
    }
    return shown;
}

// Modes.

bool SongListController::SetAlbumMode(int albumId) {
    if (albumId == 0) {
        SetSinglesMode();
        return true;
    }
    TAlbum album;
    if (!m_library.albums.FindAlbumById(albumId, album)) {
        return false;
    }
    EnterMode(SongListMode::Album);
    m_albumId = albumId;
    m_caption = "Songs in album " + QuoteDouble(album.AlbumName);
    BuildSongList();
    if (RatingFilter() == 99) {
        RefreshAlbumSummary(m_albumSummaryMode);
        SetCurrent(RowCount() > 0 ? 0 : -1);
    }
    return true;
}

bool SongListController::SetArtistMode(int artistId) {
    TArtist artist;
    // The songs without an artist are listed under id 0, which no artist row needs to carry.
    if (!m_library.artists.FindArtistById(artistId, artist) && artistId != 0) {
        return false;
    }
    EnterMode(SongListMode::Artist);
    m_artistId = artistId;
    m_caption = "Songs by artist " + QuoteDouble(artist.ArtistName);
    BuildSongList();
    return true;
}

bool SongListController::SetGenreMode(int genreId) {
    QString name;
    if (!m_library.songs.GenreNameById(genreId, name)) {
        return false;
    }
    EnterMode(SongListMode::Genre);
    m_genreId = genreId;
    m_caption = "Songs in genre " + QuoteDouble(name);
    BuildSongList();
    return true;
}

void SongListController::SetSinglesMode() {
    EnterMode(SongListMode::Singles);
    m_caption = kSinglesCaption;
    BuildSongList();
}

bool SongListController::SetPlaylistMode(int playlistId) {
    Tplist playlist;
    // A playlist that is gone leaves the list (and the target playlist) as they were.
    if (!m_playlists.LoadPlaylistRecord(playlistId, playlist)) {
        return false;
    }
    m_playlists.TargetPlaylist() = playlist;
    EnterMode(SongListMode::Playlist);
    m_playlistId = playlistId;
    m_caption = "Songs in Playlist #" + QString::number(playlistId) + " " + QuoteDouble(playlist.Name);
    BuildSongList();
    return true;
}

void SongListController::SetRecentMode() {
    DateRec since = DateTimeToStamp(m_clock.LocalNow()).date;
    PrevDays(since, m_library.settings.DAYSRECENT);
    m_recentDate = DateToDateTime(since);
    EnterMode(SongListMode::Recent);
    m_caption = "Songs loaded in the last " + QString::number(m_library.settings.DAYSRECENT) + " days";
    BuildSongList();
}

void SongListController::SetHistoryMode(int day) {
    EnterMode(SongListMode::PlayHistory);
    m_historyDay = day;
    m_caption = "Songs actually played on " + QString::number(day);
    BuildSongList();
}

void SongListController::SetStampMode(bool found, TDateTime stamp, const QString& captionTail) {
    m_listsFound = found;
    m_searchStamp = stamp;
    EnterMode(SongListMode::Stamp);
    m_library.settings.FILTER = 99;
    m_caption = "Songs : " + captionTail;
    BuildSongList();
}

void SongListController::EnterMode(SongListMode mode) {
    m_mode = mode;
    // The album check pass and the count label go by the album id: another list must not carry
    // the id of an album shown before it.
    if (mode != SongListMode::Album) {
        m_albumId = 0;
    }
}

// Building the list.

namespace {

/// The rows that `keep` accepts, in their order.
RowSet KeepRows(const RowSet& rows, const std::function<bool(int row)>& keep) {
    std::vector<RowSet::Column> columns;
    for (int column = 0; column < rows.ColumnCount(); ++column) {
        columns.push_back(rows.ColumnAt(column));
    }
    RowSet kept(std::move(columns));
    std::vector<QVariant> values(static_cast<std::size_t>(rows.ColumnCount()));
    for (int row = 0; row < rows.RowCount(); ++row) {
        if (!keep(row)) {
            continue;
        }
        for (int column = 0; column < rows.ColumnCount(); ++column) {
            values[static_cast<std::size_t>(column)] = rows.Value(row, column);
        }
        kept.AppendRow(values);
    }
    return kept;
}

}  // namespace

void SongListController::OpenQuery() {
    SongListQueryParts parts;
    parts.mode = m_mode;
    parts.noArtist = m_mode == SongListMode::Artist && m_artistId == 0;
    parts.historyDay = m_historyDay;
    parts.hideMissing = m_hideMissing;
    parts.ratingFilter = RatingFilter();
    const bool listsFound = m_mode == SongListMode::Stamp && m_listsFound;
    // A search's first reading lists what its condition finds, all of it: those are the songs
    // found, which every later reading lists (through the filters as they then stand).
    const bool searching = listsFound && !m_searchCondition.isEmpty();
    if (searching) {
        parts.searchCondition = m_searchCondition;
        parts.hideMissing = false;
    } else if (listsFound) {
        parts.found = &m_found;
    }
    const auto bind = [&](Query& query) {
        switch (m_mode) {
            case SongListMode::Album:
                query.SetInteger("id", m_albumId);
                break;
            case SongListMode::Artist:
                if (!parts.noArtist) {
                    query.SetInteger("id", m_artistId);
                }
                break;
            case SongListMode::Genre:
                query.SetInteger("id", m_genreId);
                break;
            case SongListMode::Playlist:
                query.SetInteger("id", m_playlistId);
                break;
            case SongListMode::Stamp:
                if (!listsFound) {
                    query.SetTimestamp("ts", m_searchStamp);
                }
                break;
            case SongListMode::Recent:
                query.SetTimestamp("recentdate", m_recentDate);
                break;
            case SongListMode::Singles:
            case SongListMode::PlayHistory:
                break;
        }
    };
    m_queryOpen = false;
    m_rows = RowSet();
    m_scanNext = 0;
    m_questionWarnings = false;
    m_bangWarnings = false;
    m_sortColumn = -1;
    if (ReadByKeys(parts, bind, searching, listsFound)) {
        return;
    }
    Query query(m_library.catalogue, SongListQueryText(parts));
    bind(query);
    m_rows = query.Open();
    const int songNum = m_rows.ColumnIndex("SONGNUM");
    if (searching) {
        m_searchCondition.clear();
        m_found.clear();
        m_found.reserve(static_cast<std::size_t>(m_rows.RowCount()));
        for (int row = 0; row < m_rows.RowCount(); ++row) {
            m_found.push_back(m_rows.Value(row, songNum).toInt());
        }
        std::sort(m_found.begin(), m_found.end());
        m_found.erase(std::unique(m_found.begin(), m_found.end()), m_found.end());
        // A search lists unfiltered; only the songs flagged missing may be hidden.
        if (m_hideMissing) {
            const int exi = m_rows.ColumnIndex("EXI");
            m_rows = KeepRows(m_rows, [&](int row) { return m_rows.Value(row, exi).toInt() == 1; });
        }
    } else if (listsFound && FoundSongsAskedBySpan(m_found)) {
        m_rows = KeepRows(m_rows, [&](int row) {
            return std::binary_search(m_found.begin(), m_found.end(), m_rows.Value(row, songNum).toInt());
        });
    }
    RowsRead();
}

bool SongListController::ReadByKeys(const SongListQueryParts& parts, const std::function<void(Query&)>& bind,
                                    bool searching, bool listsFound) {
    if (!m_readByKeys || !ListReadsKeysFirst(m_mode)) {
        return false;
    }
    // A list of found songs is not kept: the songs found are not part of the query's text.
    const bool keep = !searching && !listsFound;
    QString keptQuery;
    std::optional<Query> probe;
    if (keep) {
        keptQuery = KeyQueryText(parts);
        probe.emplace(m_library.catalogue, "SELECT 1 FROM rdb$database");
        if (m_keptList && m_keptList->query == keptQuery && m_keptList->mark == probe->Mark()) {
            m_rows = m_keptList->rows;
            RowsRead();
            return true;
        }
        m_keptList.reset();
    }
    std::optional<RowSet> rows;
    std::vector<int> found;
    if (searching) {
        // Without the songs' stored lower-cased texts (a catalogue whose tables were not opened by
        // this version), or for a text that only its query as it stands answers, the search runs
        // as one query.
        if (!SearchReadableInTwoSteps(m_searchText, m_searchTitle) ||
            (SearchReadsStoredTexts(m_searchPlace, m_searchTitle) &&
             !SongSearchTableKept(m_library.catalogue))) {
            return false;
        }
        rows = ReadSearchByKeys(m_library.catalogue, m_searchPlace, m_searchText, m_searchTitle,
                                m_hideMissing, found);
    } else {
        rows = ReadSongListByKeys(m_library.catalogue, parts, bind,
                                  listsFound && FoundSongsAskedBySpan(m_found) ? &m_found : nullptr);
    }
    if (!rows) {
        return false;
    }
    if (searching) {
        m_searchCondition.clear();
        m_found = std::move(found);
    }
    m_rows = std::move(*rows);
    if (keep) {
        m_keptList = KeptList{keptQuery, m_rows, probe->Mark()};
    }
    RowsRead();
    return true;
}

QString SongListController::KeyQueryText(const SongListQueryParts& parts) const {
    // The query with the values its parameters are given (as OpenQuery binds them).
    QString value;
    switch (m_mode) {
        case SongListMode::Album:
            value = QString::number(m_albumId);
            break;
        case SongListMode::Artist:
            value = parts.noArtist ? QString() : QString::number(m_artistId);
            break;
        case SongListMode::Genre:
            value = QString::number(m_genreId);
            break;
        case SongListMode::Stamp:
            value = QString::number(m_searchStamp, 'g', 17);
            break;
        case SongListMode::Recent:
            value = QString::number(m_recentDate, 'g', 17);
            break;
        case SongListMode::Singles:
        case SongListMode::Playlist:
        case SongListMode::PlayHistory:
            break;
    }
    return QString::number(static_cast<int>(m_mode)) + "\n" + SongKeysQueryText(parts) + "\n" + value;
}

void SongListController::RowsRead() {
    m_fields = std::make_unique<Fields>(m_rows);
    m_readRow.resize(static_cast<std::size_t>(m_rows.RowCount()));
    std::iota(m_readRow.begin(), m_readRow.end(), 0);
    m_sortRanks.clear();
    m_warnings.assign(static_cast<std::size_t>(m_rows.RowCount()), 0);
    m_queryOpen = true;
}

void SongListController::BuildSongList() {
    BuildingScope building(m_building);
    if (m_display) {
        m_display->ShowSongsWindow();
    }
    BusyScope busy;
    if (m_display) {
        m_display->SaveColumnWidths();
    }
    m_current = -1;
    m_model->Show(nullptr, {});
    OpenQuery();
    ForgetSelection();
    m_anchorSong = 0;
    ShowColumns();
    int id = 0;
    if (m_mode == SongListMode::Album) {
        id = m_albumId;
    } else if (m_mode == SongListMode::Artist) {
        id = m_artistId;
    } else if (m_mode == SongListMode::Genre) {
        id = m_genreId;
    }
    m_countLabel = CountLabelText(m_mode, id, RowCount());
    if (!m_scanDeferred) {
        FinishWarningsScan();
    }
    m_current = RowCount() == 0 ? -1 : (m_mode == SongListMode::PlayHistory ? RowCount() - 1 : 0);
    if (m_display) {
        m_display->ListBuilt();
    }
    Changed();
}

void SongListController::RebuildKeepingCurrent() {
    const int songNum = CurrentSongNum();
    BuildSongList();
    if (songNum > 0) {
        GoToSong(songNum);
    }
}

void SongListController::Refresh() {
    RebuildKeepingCurrent();
    BusyReset();
}

void SongListController::ShowColumns() {
    m_columns = VisibleSongColumns(m_mode, m_hideMissing);
    std::vector<GridColumn> grid;
    const Fields& f = *m_fields;
    for (const SongColumn column : m_columns) {
        GridColumn each;
        each.caption = SongColumnCaption(column);
        each.widthChars = SongColumnWidthChars(column);
        int field = -1;
        switch (column) {
            case SongColumn::WhenPlayed:
                each.text = [this](int row) {
                    return WhenPlayedText(m_rows.Value(row, m_fields->ts).toDouble());
                };
                each.widestSample = "8888-88-88 88:88";
                break;
            case SongColumn::Duration:
                each.text = [this](int row) {
                    return DurationCellText(m_rows.Value(row, m_fields->duration));
                };
                each.widestSample = "888:88";
                each.alignment = Qt::AlignRight | Qt::AlignVCenter;
                break;
            case SongColumn::Wng:
                each.text = [this](int row) { return WarningAt(row); };
                each.widestSample = "?";
                each.alignment = Qt::AlignCenter;
                break;
            case SongColumn::Rating:
                each.text = [this](int row) { return RatingCellText(m_rows.Value(row, m_fields->rating)); };
                each.widestSample = "+4";
                each.alignment = Qt::AlignCenter;
                break;
            case SongColumn::Seq:
                field = f.seq;
                each.alignment = Qt::AlignRight | Qt::AlignVCenter;
                break;
            case SongColumn::Track:
                field = f.track;
                each.alignment = Qt::AlignRight | Qt::AlignVCenter;
                break;
            case SongColumn::Album:
                field = f.album;
                break;
            case SongColumn::Artist:
                field = f.artist;
                break;
            case SongColumn::Title:
                field = f.title;
                break;
            case SongColumn::Year:
                field = f.year;
                break;
            case SongColumn::Genre:
                field = f.genre;
                break;
            case SongColumn::Comment:
                field = f.comment;
                break;
        }
        if (field >= 0) {
            each.text = [this, field](int row) { return FieldText(m_rows, row, field); };
            // A list read on demand is fitted by its longest texts, not by reading every row.
            if (m_rows.ReadsOnDemand() && m_rows.RowCount() > 0) {
                each.widestSample = m_rows.LongestText(field);
                if (each.widestSample.isEmpty()) {
                    each.widestSample = " ";
                }
            }
        }
        grid.push_back(std::move(each));
    }
    m_model->Show(&m_rows, std::move(grid));
}

int SongListController::FieldOf(SongColumn column) const {
    const Fields& f = *m_fields;
    switch (column) {
        case SongColumn::WhenPlayed:
            return f.ts;
        case SongColumn::Seq:
            return f.seq;
        case SongColumn::Album:
            return f.album;
        case SongColumn::Track:
            return f.track;
        case SongColumn::Artist:
            return f.artist;
        case SongColumn::Title:
            return f.title;
        case SongColumn::Year:
            return f.year;
        case SongColumn::Duration:
            return f.duration;
        case SongColumn::Rating:
            return f.rating;
        case SongColumn::Genre:
            return f.genre;
        case SongColumn::Comment:
            return f.comment;
        case SongColumn::Wng:
            break;
    }
    return f.exi;
}

QString SongListController::CellText(int row, SongColumn column) const {
    for (std::size_t i = 0; i < m_columns.size(); ++i) {
        if (m_columns[i] == column) {
            return m_model->CellText(row, static_cast<int>(i));
        }
    }
    return {};
}

int SongListController::SongNumAt(int row) const {
    if (!m_queryOpen || row < 0 || row >= RowCount()) {
        return 0;
    }
    return m_rows.Value(row, m_fields->songNum).toInt();
}

int SongListController::SeqAt(int row) const {
    if (!m_queryOpen || row < 0 || row >= RowCount()) {
        return 0;
    }
    return m_rows.Value(row, m_fields->seq).toInt();
}

int SongListController::ExiAt(int row) const {
    if (!m_queryOpen || row < 0 || row >= RowCount()) {
        return 0;
    }
    return m_rows.Value(row, m_fields->exi).toInt();
}

QString SongListController::WarningAt(int row) const {
    if (!m_queryOpen || row < 0 || row >= RowCount()) {
        return {};
    }
    char& known = m_warnings[static_cast<std::size_t>(row)];
    if (known == 0) {
        known = 1;
        // An entry whose song is gone has no file to look for.
        if (m_rows.Value(row, m_fields->songNum).isValid()) {
            const QString path = m_library.songs.FullPathOf(FieldText(m_rows, row, m_fields->fn));
            const QString mark =
                SongWarning(!path.isEmpty() && QFile::exists(path), m_rows.Value(row, m_fields->exi).toInt());
            if (!mark.isEmpty()) {
                known = mark.at(0).toLatin1();
            }
        }
    }
    return known == 1 ? QString() : QString(QChar(known));
}

bool SongListController::ContinueWarningsScan(int rows) {
    const int end = std::min(RowCount(), m_scanNext + rows);
    for (; m_scanNext < end; ++m_scanNext) {
        const QString mark = WarningAt(m_scanNext);
        if (mark == "?") {
            m_questionWarnings = true;
        } else if (mark == "!") {
            m_bangWarnings = true;
        }
    }
    return WarningsScanPending();
}

void SongListController::FinishWarningsScan() {
    ContinueWarningsScan(RowCount());
}

bool SongListController::QuestionFixEnabled() {
    FinishWarningsScan();
    return m_questionWarnings;
}

bool SongListController::BangFixEnabled() {
    FinishWarningsScan();
    return m_bangWarnings;
}

bool SongListController::HideItemEnabled() {
    FinishWarningsScan();
    return m_bangWarnings || m_hideMissing;
}

void SongListController::RefreshAlbumSummary(int mode) {
    // The check pass stores what it derives; a read-only catalogue is left as it is.
    if (!m_summary || m_library.settings.READONLY) {
        return;
    }
    AlbumSongList list;
    list.albumMode = m_mode == SongListMode::Album;
    list.albumId = m_albumId;
    list.ratingFilter = RatingFilter();
    list.rows = &m_rows;
    list.reopen = [this] {
        OpenQuery();
        m_model->Reload(&m_rows);
        ForgetSelection();
        if (m_current >= RowCount()) {
            m_current = RowCount() - 1;
        }
    };
    m_summary->RefreshAlbumSummary(list, mode);
    m_rows.First();
}

// The current row.

void SongListController::SetCurrentRow(int row) {
    if (RowCount() == 0) {
        m_current = -1;
        return;
    }
    m_current = std::clamp(row, 0, RowCount() - 1);
}

void SongListController::SetCurrent(int row) {
    SetCurrentRow(row);
    if (m_display) {
        m_display->CurrentRowChanged(m_current);
    }
}

void SongListController::JumpToStart() {
    SetCurrent(0);
}

void SongListController::JumpToEnd() {
    SetCurrent(RowCount() - 1);
}

void SongListController::GoToSong(int songNum) {
    if (!m_queryOpen || RowCount() == 0) {
        return;
    }
    int found = 0;
    for (int row = RowCount() - 1; row >= 0; --row) {
        if (SongNumAt(row) == songNum) {
            found = row;
            break;
        }
    }
    SetCurrent(found);
}

void SongListController::PositionAtSeq(int seq) {
    if (RowCount() == 0) {
        return;
    }
    int found = 0;
    for (int row = RowCount() - 1; row >= 0; --row) {
        if (SeqAt(row) <= seq) {
            found = row;
            break;
        }
    }
    SetCurrent(found);
}

// Filter and options.

int SongListController::RatingFilter() const {
    return m_library.settings.FILTER;
}

void SongListController::SetRatingFilter(int value) {
    if (m_mode == SongListMode::PlayHistory) {
        ShowInfo("Filter is inactive when browsing Play History");
    }
    m_library.settings.FILTER = value;
    if (m_queryOpen) {
        RebuildKeepingCurrent();
    }
    Changed();
}

void SongListController::ToggleHideMissing() {
    m_hideMissing = !m_hideMissing;
    if (m_queryOpen) {
        RebuildKeepingCurrent();
    }
    Changed();
}

bool SongListController::DoubleClickToEdit() const {
    return m_library.settings.DoubleClickToEdit;
}

void SongListController::SetDoubleClickToEdit(bool edit) {
    m_library.settings.DoubleClickToEdit = edit;
}

void SongListController::WindowActivated(bool catalogueOpen) {
    if (!m_building && !m_queryOpen && catalogueOpen) {
        FlashMessage("Re-opening query");
        BuildSongList();
    }
}

void SongListController::WindowShown() {
    if (m_caption == "Songs" && m_mode == SongListMode::Singles) {
        m_caption = kSinglesCaption;
        Changed();
    }
}

void SongListController::Changed() {
    if (m_display) {
        m_display->StateChanged();
    }
}

bool SongListController::ReadOnly() const {
    return RefuseIfReadOnly(m_library.settings.READONLY);
}

}  // namespace sw
