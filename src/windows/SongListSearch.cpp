// The songs window's searches: by text in one place or all five, by exact title, by song number.
#include <algorithm>

#include "SongListController.h"
#include "SongListSql.h"
#include "core/Catalogue.h"
#include "core/Library.h"
#include "core/Query.h"
#include "foundation/Clock.h"
#include "foundation/Dialogs.h"
#include "foundation/Numbers.h"
#include "foundation/Text.h"

namespace sw {

namespace {

SongListRequest SearchRequest(SongListType type, const QString& text, const SearchOptions& options,
                              int positionOn = 0) {
    SongListRequest request;
    request.Type = type;
    request.Text = text;
    request.RememberedSong = positionOn;
    request.Options = options;
    return request;
}

/// The text has a letter or a digit.
bool HasLetterOrDigit(const QString& text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isLetterOrNumber(); });
}

}  // namespace

void SongListController::SearchSongs() {
    if (!m_hooks.searchWindow) {
        return;
    }
    QString text;
    if (!m_hooks.searchWindow(m_search, text)) {
        return;
    }
    SearchSongs(text);
}

void SongListController::SearchSongs(const QString& text) {
    if (text.isEmpty()) {
        return;
    }
    int id = 0;
    switch (m_search.searchFor) {
        case SearchFor::AlbumId:
            if (ParseIntOrWarn(text, id)) {
                ShowAlbumSongs(id);
            }
            return;
        case SearchFor::ArtistId:
            if (ParseIntOrWarn(text, id)) {
                ShowArtistSongs(id);
            }
            return;
        case SearchFor::Text:
        case SearchFor::SongNumber:
            ShowSongList(SearchRequest(SongListType::Search, text, m_search));
            return;
    }
}

void SongListController::ShowFileNameSongs(const QString& fileName) {
    m_search = {SearchFor::Text, SearchPlace::FileName};
    ShowSongList(SearchRequest(SongListType::Search, fileName, m_search));
}

void SongListController::ShowTitleSongs(const QString& title, int songNum) {
    m_search = {SearchFor::Text, SearchPlace::Title};
    ShowSongList(SearchRequest(SongListType::Title, title, m_search, songNum));
}

void SongListController::ShowSongsLike(int songNum, SongsLike kind) {
    TSong song;
    if (songNum <= 0 || !m_library.songs.FindSongByNumber(songNum, song)) {
        return;
    }
    switch (kind) {
        case SongsLike::Album:
            ShowAlbumSongs(song.AlbumId, songNum);
            break;
        case SongsLike::Artist:
            ShowArtistSongs(song.ArtistId, songNum);
            break;
        case SongsLike::Genre:
            ShowGenreSongs(song.GenreId, songNum);
            break;
        case SongsLike::Title:
            if (HasLetterOrDigit(song.Title)) {
                ShowTitleSongs(song.Title, songNum);
            }
            break;
    }
}

bool SongListController::RunSearchRequest(const SongListRequest& request) {
    QString text = request.Text;
    if (text.isEmpty()) {
        ShowInfo("Search string is blank");
        return false;
    }
    m_searchStamp = NextSearchStamp();
    if (request.Options.searchFor == SearchFor::SongNumber) {
        int songNum = 0;
        if (!ParseIntOrWarn(text, songNum)) {
            return false;
        }
        TSong song;
        if (m_library.songs.FindSongByNumber(songNum, song)) {
            StampSongs({songNum});
        }
        return true;
    }

    BusyScope busy;
    QString trimmed = text;
    if (TrimTrailingBlanks(trimmed) > 0 && Confirm("Strip trailing space(s) from search string?")) {
        text = trimmed;
    }
    DoubleApostrophes(text);
    const bool title = request.Type == SongListType::Title;
    const RowSet found = m_library.catalogue.Select(
        SearchQueryText(title ? SearchPlace::Title : request.Options.place, text, title));
    std::vector<int> songNums;
    songNums.reserve(static_cast<std::size_t>(found.RowCount()));
    for (int row = 0; row < found.RowCount(); ++row) {
        songNums.push_back(found.Value(row, 0).toInt());
    }
    StampSongs(std::move(songNums));
    return true;
}

void SongListController::StampSongs(std::vector<int> songNums) {
    // Song numbers found together mostly run on without gaps: one statement per run of them.
    std::sort(songNums.begin(), songNums.end());
    songNums.erase(std::unique(songNums.begin(), songNums.end()), songNums.end());
    Query stamp(m_library.catalogue, "update song set searchts = :ts where songnum between :first and :last");
    stamp.SetTimestamp("ts", m_searchStamp);
    for (std::size_t i = 0; i < songNums.size();) {
        std::size_t end = i + 1;
        while (end < songNums.size() && songNums[end] == songNums[end - 1] + 1) {
            ++end;
        }
        stamp.SetInteger("first", songNums[i]).SetInteger("last", songNums[end - 1]).Execute();
        i = end;
    }
    m_library.catalogue.CommitAndContinue();
}

TDateTime SongListController::NextSearchStamp() {
    // Each search gets its own stamp, even two in the same second, so that a list never shows the
    // songs of an earlier search.
    constexpr TDateTime kMillisecond = 1.0 / 86'400'000.0;
    const TDateTime now = m_clock.LocalNow();
    return now >= m_searchStamp + kMillisecond ? now : m_searchStamp + kMillisecond;
}

}  // namespace sw
