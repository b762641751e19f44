#include "AlbumDetailsController.h"

#include "AlbumGroups.h"
#include "AlbumListSql.h"
#include "AlbumsController.h"
#include "core/Catalogue.h"
#include "core/ColumnWidths.h"
#include "core/Library.h"
#include "core/Renames.h"
#include "core/Settings.h"
#include "foundation/Dates.h"
#include "foundation/Dialogs.h"
#include "foundation/Text.h"
#include "core/Ratings.h"

namespace sw {

void ShowAlbumNotFound(int albumId) {
    if (albumId == 0) {
        ShowInfo("Album id = 0 means \"not in an album\"");
    } else {
        ShowInfo("Album not found " + QuoteDouble(QString::number(albumId)));
    }
}

AlbumDetailsController::AlbumDetailsController(Library& library, Ratings& ratings, AlbumsController& albums)
    : m_library(library), m_ratings(ratings), m_albums(albums) {
    m_albums.Hooks().albumDetails = [this](int albumId) { ShowAlbumDetails(albumId); };
}

AlbumDetailsController::~AlbumDetailsController() {
    m_albums.Hooks().albumDetails = nullptr;
}

bool AlbumDetailsController::ShowAlbumDetails(int albumId) {
    TAlbum album;
    if (!m_library.albums.FindAlbumById(albumId, album)) {
        ShowAlbumNotFound(albumId);
        return false;
    }
    m_album = album;
    m_shown = true;
    Display();
    if (m_display) {
        m_display->ShowDetailsWindow();
    }
    return true;
}

void AlbumDetailsController::Display() {
    AlbumDetailsText text;
    text.caption = QString("Album ") + (IsGroup() ? "Group " : "") + "#" + QString::number(m_album.AlbumId);
    text.name = m_album.AlbumName;
    text.artistCaption = "Artist #" + QString::number(m_album.ArtistId);
    text.artistName = m_album.ArtistName;
    text.repairTs = StampTextOrEmpty(m_album.Rprts);
    text.year = m_album.Year;
    text.fileCount = QString::number(m_album.NumExi);
    text.createTs = StampTextOrEmpty(m_album.CreateTs);
    text.group = "#" + QString::number(m_album.GrpId);
    TAlbum group;
    if (m_album.GrpId > 0 && m_library.albums.FindAlbumById(m_album.GrpId, group)) {
        text.group += " " + QuoteDouble(group.AlbumName);
    }
    text.sequenceShown = m_album.GrpId > 0;
    text.sequence = m_album.SeqIsNull ? "null" : QString::number(m_album.Seq);
    text.rating = m_album.RatingAssd ? AlbumRatingText(m_album.RatingSumm) : "0.0";
    m_text = text;
    if (m_display) {
        m_display->DetailsChanged();
    }
}

bool AlbumDetailsController::ReadAgain() {
    TAlbum album;
    if (!m_library.albums.FindAlbumById(m_album.AlbumId, album)) {
        ShowAlbumNotFound(m_album.AlbumId);
        return false;
    }
    m_album = album;
    return true;
}

void AlbumDetailsController::WriteAndRedisplay() {
    m_library.albums.WriteAlbum(m_album);
    m_library.catalogue.CommitAndContinue();
    ReadAgain();
    Display();
    m_albums.AlbumsChanged();
}

bool AlbumDetailsController::ReadOnly() const {
    return m_library.settings.READONLY;
}

// Commands.

void AlbumDetailsController::Rename() {
    if (RefuseIfReadOnly(ReadOnly())) {
        return;
    }
    if (m_album.AlbumId == 0) {
        ShowAlbumZeroReserved();
        return;
    }
    if (PromptRenameAlbum(m_library, m_album.AlbumId)) {
        m_library.catalogue.CommitAndContinue();
        m_albums.AlbumsChanged();
    }
    Refresh();
}

void AlbumDetailsController::AssignRating() {
    if (RefuseIfReadOnly(ReadOnly()) || !ReadAgain()) {
        return;
    }
    if (m_ratings.AssignAlbumRating(m_album)) {
        m_albums.AlbumsChanged();
    }
    Display();
}

void AlbumDetailsController::Resequence() {
    if (RefuseIfReadOnly(ReadOnly())) {
        return;
    }
    int value = m_album.SeqIsNull ? 0 : m_album.Seq;
    if (!InputInteger("Sequence number", value)) {
        return;
    }
    if (value < 0) {
        ShowInfo("invalid");
        return;
    }
    if (!ReadAgain()) {
        return;
    }
    m_album.Seq = value;
    m_library.albums.SetAlbumSeq(m_album);
    m_library.catalogue.CommitAndContinue();
    Display();
    m_albums.AlbumsChanged();
}

void AlbumDetailsController::Refresh() {
    if (ReadAgain()) {
        Display();
    }
}

void AlbumDetailsController::Copy() {
    m_library.clipboard.album = m_album;
    FlashMessage("Copied ok");
}

void AlbumDetailsController::Delete() {
    if (!m_library.albums.ConfirmDeleteAlbum(m_album.AlbumId, ReadOnly())) {
        return;
    }
    m_library.catalogue.CommitAndContinue();
    Close();
    m_albums.AlbumsChanged();
}

void AlbumDetailsController::Close() {
    m_shown = false;
    if (m_display) {
        m_display->CloseDetailsWindow();
    }
}

// The group line.

void AlbumDetailsController::ViewGroup() {
    m_albums.ShowAlbumGroupAt(m_album.GrpId, m_album.AlbumId);
}

void AlbumDetailsController::AssignDifferentGroup() {
    if (RefuseIfReadOnly(ReadOnly())) {
        return;
    }
    m_albums.SelectItem(m_album);
    m_albums.ShowAlbumGroups();
    ShowInfo("Right-Click on Group in which to include album/group " + QuoteDouble(m_album.AlbumName));
}

bool AlbumDetailsController::PasteGroupEnabled() const {
    return m_library.clipboard.group.AlbumId > 0;
}

QString AlbumDetailsController::PasteGroupCaption() const {
    return "Paste album group " + QuoteDouble(m_library.clipboard.group.AlbumName);
}

void AlbumDetailsController::PasteGroup() {
    if (!PasteGroupEnabled() || RefuseIfReadOnly(ReadOnly())) {
        return;
    }
    if (!ConfirmOK("Regroup this album") || !ReadAgain()) {
        return;
    }
    TAlbum group;
    const int groupId = m_library.clipboard.group.AlbumId;
    if (!m_library.albums.FindAlbumById(groupId, group) || group.AlOrGrp != 'G') {
        ShowAlbumNotFound(groupId);
        return;
    }
    const QString refusal = GroupLinkRefusal(m_library.albums, m_album, group);
    if (!refusal.isEmpty()) {
        ShowInfo(refusal);
        return;
    }
    m_album.GrpId = group.AlbumId;
    WriteAndRedisplay();
}

// The artist line.

bool AlbumDetailsController::ViewArtistEnabled() const {
    return m_album.ArtistId > 0 && static_cast<bool>(m_albums.Hooks().artistDetails);
}

void AlbumDetailsController::ViewArtist() {
    if (ViewArtistEnabled()) {
        m_albums.Hooks().artistDetails(m_album.ArtistId);
    }
}

void AlbumDetailsController::InputArtist() {
    if (RefuseIfReadOnly(ReadOnly())) {
        return;
    }
    QString name = m_album.ArtistName;
    if (!InputTextLimited("Album Artist", name, kArtistNameWidth)) {
        return;
    }
    TrimTrailingBlanks(name);
    // Looked up only: an artist typed and then declined is never created.
    int artistId = m_library.artists.FindArtistByName(name);
    if (artistId > 0) {
        name = m_library.artists.LastArtistFound().ArtistName;
    }
    if (artistId == m_album.ArtistId) {
        return;
    }
    if (!ConfirmOK("Change Artist for this Album from " + QuoteDouble(m_album.ArtistName) + " to " +
                   QuoteDouble(name)) ||
        !ReadAgain()) {
        return;
    }
    if (artistId < 0) {
        artistId = m_library.artists.FindOrCreateArtist(name);
    }
    m_album.ArtistId = artistId;
    m_album.ArtistName = name;
    WriteAndRedisplay();
}

bool AlbumDetailsController::PasteArtistEnabled() const {
    return m_library.clipboard.artist.ArtistId > 0;
}

QString AlbumDetailsController::PasteArtistCaption() const {
    return "- paste artist " + QuoteDouble(m_library.clipboard.artist.ArtistName);
}

void AlbumDetailsController::PasteArtist() {
    if (!PasteArtistEnabled() || RefuseIfReadOnly(ReadOnly()) || !ReadAgain()) {
        return;
    }
    m_album.ArtistId = m_library.clipboard.artist.ArtistId;
    m_album.ArtistName = m_library.clipboard.artist.ArtistName;
    WriteAndRedisplay();
}

}  // namespace sw
