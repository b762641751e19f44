#include "SearchController.h"

#include "core/Library.h"
#include "foundation/Dialogs.h"
#include "foundation/Numbers.h"

namespace sw {

void PresetSearchAnywhere(SearchOptions& options) {
    options = {SearchFor::Text, SearchPlace::Anywhere};
}

void PresetSearchTitle(SearchOptions& options) {
    options = {SearchFor::Text, SearchPlace::Title};
}

bool SearchController::AskSearch(SearchOptions& options, QString& text) {
    if (!text.isEmpty()) {
        m_text = text;
    }
    text.clear();
    if (!m_display) {
        return false;
    }
    m_options = options;
    m_searchNumber = -1;
    const bool ok = m_display->RunSearchDialog();
    // The choices stay as the user left them, also after "Cancel", as the dialog's buttons would.
    options = m_options;
    if (!ok) {
        return false;
    }
    // The text goes back as typed: the songs window quotes it where it builds its statement.
    text = m_text;
    return true;
}

void SearchController::Ok() {
    m_searchNumber = -1;
    if (m_text.isEmpty()) {
        return;
    }
    if (m_options.searchFor != SearchFor::Text) {
        int number = 0;
        if (!ParseIntOrWarn(m_text, number)) {
            ShowInfo("Invalid number");
            return;
        }
        if (!IdFound(number)) {
            return;
        }
        m_searchNumber = number;
    }
    if (m_display) {
        m_display->CloseSearchDialog(true);
    }
}

bool SearchController::IdFound(int id) const {
    // Id 0 lists the songs without an album or without an artist.
    if (m_library == nullptr || id == 0) {
        return true;
    }
    if (m_options.searchFor == SearchFor::AlbumId) {
        TAlbum album;
        if (!m_library->albums.FindAlbumById(id, album)) {
            ShowInfo("Album #" + QString::number(id) + " not found");
            return false;
        }
    } else if (m_options.searchFor == SearchFor::ArtistId) {
        TArtist artist;
        if (!m_library->artists.FindArtistById(id, artist)) {
            ShowInfo("Artist #" + QString::number(id) + " not found");
            return false;
        }
    }
    return true;
}

void SearchController::Cancel() {
    if (m_display) {
        m_display->CloseSearchDialog(false);
    }
}

}  // namespace sw
