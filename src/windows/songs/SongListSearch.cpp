// The songs window's searches: by text in one place or all five, by exact title, by song number.
#include <algorithm>

#include "SongListController.h"
#include "SongListSql.h"
#include "core/Catalogue.h"
#include "core/Library.h"
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
    // The songs found are kept here, never stamped into the catalogue: SEARCHTS names the songs of
    // the last load run, which its list must go on showing whatever was searched since.
    if (request.Options.searchFor == SearchFor::SongNumber) {
        int songNum = 0;
        if (!ParseIntOrWarn(text, songNum)) {
            return false;
        }
        TSong song;
        m_found.clear();
        if (m_library.songs.FindSongByNumber(songNum, song)) {
            m_found.push_back(songNum);
        }
        return true;
    }

    QString trimmed = text;
    if (TrimTrailingBlanks(trimmed) > 0 && Confirm("Strip trailing space(s) from search string?")) {
        text = trimmed;
    }
    DoubleApostrophes(text);
    const bool title = request.Type == SongListType::Title;
    // The list's first reading runs the search: the songs it finds are those it lists.
    m_found.clear();
    m_searchPlace = title ? SearchPlace::Title : request.Options.place;
    m_searchText = text;
    m_searchTitle = title;
    // Once the catalogue has refused a search as it stood, it holds such a letter: every later
    // search of this list upper-cases both sides at once rather than failing first.
    m_searchCondition = SearchCondition(m_searchPlace, text, title, m_searchUpperFirst);
    return true;
}

}  // namespace sw
