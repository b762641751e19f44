// Building the songs list: its query, the rows it keeps, and the album check pass over it.
#include <algorithm>
#include <functional>
#include <numeric>
#include <optional>

#include "SongListController.h"
#include "SongListFields.h"
#include "SongListRows.h"
#include "SongListSql.h"
#include "core/Catalogue.h"
#include "core/Library.h"
#include "core/Query.h"
#include "core/Settings.h"
#include "core/SongSearchTable.h"
#include "foundation/Dialogs.h"
#include "playback/AlbumSummary.h"

namespace sw {

namespace {

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
    const bool searching = m_mode == SongListMode::Stamp && m_listsFound && !m_searchCondition.isEmpty();
    try {
        ReadQuery();
    } catch (const DatabaseError& error) {
        // A text holding a letter whose upper case is longer (ɐ) stops CONTAINING in the
        // catalogue; the search is read again with both sides upper-cased first.
        if (!searching || m_searchUpperFirst || !error.StringTruncation()) {
            throw;
        }
        m_searchUpperFirst = true;
        m_searchCondition = SearchCondition(m_searchPlace, m_searchText, m_searchTitle, true);
        ReadQuery();
    }
}

void SongListController::ReadQuery() {
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
                                m_hideMissing, found, m_searchUpperFirst);
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

}  // namespace sw
