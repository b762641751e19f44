#include "ArtistDetailsController.h"

#include "core/Catalogue.h"
#include "core/Library.h"
#include "core/Renames.h"
#include "core/Settings.h"

namespace sw {

ArtistDetailsController::ArtistDetailsController(Library& library) : m_library(library) {}

QString ArtistDetailsController::IdLine() const {
    return "Id " + QString::number(m_artistId);
}

void ArtistDetailsController::Fill(int artistId) {
    m_artistId = artistId;
    TArtist artist;
    ClearArtist(artist);
    m_found = artistId == 0 || m_library.artists.FindArtistById(artistId, artist);
    m_name = m_found ? artist.ArtistName : QString();
    if (m_display) {
        m_display->DetailsChanged();
    }
}

void ArtistDetailsController::ShowArtistDetails(int artistId) {
    Fill(artistId);
    if (m_display) {
        m_display->ShowDetailsWindow();
    }
}

void ArtistDetailsController::Rename() {
    if (!m_found || RefuseIfReadOnly(m_library.settings.READONLY)) {
        return;
    }
    int mergedInto = 0;
    if (!PromptRenameArtist(m_library, m_artistId, &mergedInto)) {
        return;
    }
    // A merged artist is gone: the window goes on with the one that took its songs.
    Fill(mergedInto > 0 ? mergedInto : m_artistId);
    if (m_renamed) {
        m_renamed(m_artistId);
    }
}

}  // namespace sw
