#include "EditSongController.h"

#include <QFileInfo>
#include <exception>

#include "core/Catalogue.h"
#include "core/Library.h"
#include "core/Settings.h"
#include "core/SongPaths.h"
#include "core/SongText.h"
#include "foundation/Dates.h"
#include "foundation/Dialogs.h"
#include "foundation/Numbers.h"
#include "foundation/Text.h"
#include "tags/TagPolicy.h"

namespace sw {

EditSongController::EditSongController(Library& library, TagPolicy& tags)
    : m_library(library), m_tags(tags) {}

void EditSongController::Open(const TSong& song) {
    if (m_closeGenres) {
        m_closeGenres();
    }
    m_edited = song;
    m_resyncFromFile = false;
    m_resyncToFile = false;
    SetEditStatus(QString());
    ReadFileSide();
    if (m_file.TagSource == kTagNoFile && m_edited.Exi) {
        SetEditStatus("DB thinks that the file exists!");
        m_resyncFromFile = true;
    } else if (m_file.TagSource != kTagNoFile && !m_edited.Exi) {
        SetEditStatus("DB thinks that the file does not exist!");
        m_resyncFromFile = true;
    }
    m_title = m_edited.Title;
    m_artist = m_edited.ArtistName;
    m_album = m_edited.AlbumName;
    m_track = m_edited.Track;
    m_year = m_edited.Year;
    m_comment = m_edited.Comment;
    m_genreId = m_edited.GenreId;
    m_genreName = m_edited.GenreName;
    LookForDifferences();
    Shown();
}

void EditSongController::Shown() {
    m_dirty = false;
    m_tagsToo = false;
    Changed();
}

void EditSongController::ReadFileSide() {
    ClearSong(m_file);
    m_groupCaption = "No tag found";
    try {
        m_tags.ReadSongFromFile(m_edited.FullPath, m_file, ResolveMode::Lookup);
    } catch (...) {
        // A file that cannot be read is shown as one without a tag; the catalogue side stays editable.
        m_file.TagSource = kTagNoTag;
        SetEditStatus(CurrentExceptionText());
    }
    switch (m_file.TagSource) {
        case kTagId3v1:
            m_groupCaption = "MP3 tag version 1 (ID3v1)";
            break;
        case kTagId3v2:
            m_groupCaption = "MP3 tag version 2 (ID3v2)";
            break;
        case kTagOgg:
            m_groupCaption = "OGG Vorbis tag";
            break;
        case kTagMp4OrAsf:
            m_groupCaption = m_file.FileType + " tag (read only)";
            break;
        default:
            break;
    }
    switch (m_file.TagSource) {
        case kTagNotRead:
            break;
        case kTagNoTag:
            SetEditStatus(" Info - No tag [yet] in file ");
            break;
        case kTagNoFile:
            SetEditStatus(" File not found ");
            break;
        case kTagOtherType:
            SetEditStatus(" File is not an OGG/MP3 file");
            break;
        case kTagMp4OrAsf:
            break;
        default:
            if (m_file.TagSource >= kTagId3v2Unicode) {
                SetEditStatus("Unkown tag status " + QString::number(m_file.TagSource));
            }
            break;
    }
}

void EditSongController::LookForDifferences() {
    const int source = m_file.TagSource;
    // A file without a tag (or not read for tags at all) has nothing to compare.
    if (source == kTagNotRead || source == kTagNoTag || source == kTagNoFile || source == kTagOtherType) {
        return;
    }
    QString last;
    if (m_file.Title != m_edited.Title)
        last = "Title";
    if (m_file.ArtistName != m_edited.ArtistName)
        last = "Artist";
    if (m_file.AlbumName != m_edited.AlbumName)
        last = "Album";
    if (m_file.Track != m_edited.Track)
        last = "Track";
    if (m_file.Year != m_edited.Year)
        last = "Year";
    if (m_file.Comment != m_edited.Comment)
        last = "Comment";
    const QString fileGenre = FileGenreText();
    if (fileGenre != QString::number(m_edited.GenreId) && fileGenre != m_edited.GenreName)
        last = "Genre";
    if (last.isEmpty()) {
        return;
    }
    SetEditStatus("Warning : Database & MP3 tag details differ : " + last);
    m_resyncFromFile = true;
    m_resyncToFile = true;
}

QString EditSongController::Box(EditBox box) const {
    switch (box) {
        case EditBox::Title:
            return m_title;
        case EditBox::Artist:
            return m_artist;
        case EditBox::Album:
            return m_album;
        case EditBox::Track:
            return QString::number(m_track);
        case EditBox::Year:
            return m_year;
        case EditBox::Comment:
            return m_comment;
    }
    return QString();
}

void EditSongController::SetBox(EditBox box, const QString& text) {
    switch (box) {
        case EditBox::Title:
            m_title = text.left(80);
            break;
        case EditBox::Artist:
            m_artist = text.left(80);
            break;
        case EditBox::Album:
            m_album = text.left(80);
            break;
        case EditBox::Track: {
            int track = 0;
            SetTrackBox(TryParseInt(text, track) ? track : 0);
            return;
        }
        case EditBox::Year:
            m_year = text.left(4);
            break;
        case EditBox::Comment:
            m_comment = text.left(80);
            break;
    }
    m_dirty = true;
    m_tagsToo = true;
    Changed();
}

void EditSongController::SetTrackBox(int track) {
    m_track = std::clamp(track, 0, 999);
    m_dirty = true;
    m_tagsToo = true;
    Changed();
}

QString EditSongController::RatingSymbolText() const {
    QString symbol;
    RatingSymbol(m_edited.Rating, symbol);
    return symbol;
}

QString EditSongController::RatingText() const {
    return SignedText(m_edited.Rating);
}

QString EditSongController::SongNumText() const {
    return "Songnum = " + QString::number(m_edited.SongNum) + " " + m_edited.FileType;
}

QString EditSongController::SizeText() const {
    return "Size = " + FormatThousands(m_edited.Size);
}

QString EditSongController::CreatedText() const {
    return StampTextOrEmpty(m_edited.CreateTs);
}

QString EditSongController::EditedText() const {
    return StampTextOrEmpty(m_edited.EditTs);
}

QString EditSongController::DurationText() const {
    return "Duration = " + sw::DurationText(m_edited.Duration);
}

QString EditSongController::FileGenreText() const {
    // An ID3v1 tag stores only the genre's number.
    return m_file.TagSource == kTagId3v1 ? QString::number(m_file.GenreId) : m_file.GenreName;
}

QString EditSongController::FileSizeText() const {
    return m_file.TagSource == kTagNoFile ? QString() : "Size = " + FormatThousands(m_file.Size);
}

void EditSongController::SetEditStatus(const QString& text) {
    if (text.isEmpty()) {
        m_status.clear();
    } else if (m_status.isEmpty()) {
        m_status = " " + text;
    } else {
        m_status += ";  " + text;
    }
    Changed();
}

void EditSongController::TitleFromFileName() {
    SetBox(EditBox::Title, SongTitleFromFileName(m_edited.FullPath));
}

const Clipboard& EditSongController::Copied() const {
    return m_library.clipboard;
}

void EditSongController::PasteArtist() {
    SetBox(EditBox::Artist, m_library.clipboard.artist.ArtistName);
}

void EditSongController::PasteAlbum() {
    SetBox(EditBox::Album, m_library.clipboard.album.AlbumName);
}

void EditSongController::PickGenre() {
    if (!m_pickGenre) {
        return;
    }
    int id = m_genreId;
    QString name = m_genreName;
    if (!m_pickGenre(id, name)) {
        return;
    }
    m_genreId = id;
    m_genreName = name;
    Changed();
    if (m_display != nullptr) {
        m_display->ProcessPendingEvents();
    }
    m_dirty = true;
    m_tagsToo = true;
    Changed();
}

void EditSongController::StepRating(int step) {
    const int value = m_edited.Rating + step;
    if (value < -2 || value > 4) {
        return;
    }
    m_edited.Rating = value;
    m_dirty = true;
    Changed();
}

void EditSongController::ResyncFromFile() {
    m_title = m_file.Title;
    m_artist = m_file.ArtistName;
    m_album = m_file.AlbumName;
    m_track = m_file.Track;
    m_comment = m_file.Comment;
    m_year = m_file.Year;
    m_genreId = m_file.GenreId;
    m_library.songs.GenreNameById(m_file.GenreId, m_genreName);
    m_dirty = true;
    m_tagsToo = true;
    Changed();
}

bool EditSongController::CopyBoxesIntoSong(TSong& song) {
    song.FileName = m_library.songs.RelativePathOf(song.FullPath);
    song.Title = m_title;
    TrimTrailingBlanks(song.Title);

    QString artist = m_artist;
    if (artist.isEmpty()) {
        song.ArtistId = 0;
        song.ArtistName.clear();
    } else if (artist != song.ArtistName) {
        TrimTrailingBlanks(artist);
        const int id = m_library.artists.ExpandArtistRef(artist);
        if (id < 0) {
            return false;
        }
        if (id == 0) {
            song.ArtistId = m_library.artists.FindOrCreateArtist(artist);
            song.ArtistName = m_library.artists.LastArtistFound().ArtistName;
        } else {
            song.ArtistId = id;
            song.ArtistName = artist;
        }
        m_artist = song.ArtistName;
    }

    if (!ResolveAlbum(song)) {
        Changed();
        return false;
    }

    song.Year = m_year.left(4);
    song.Comment = m_comment;
    TrimTrailingBlanks(song.Comment);
    song.StartFrom = ParseStartFrom(song.Comment);
    if (m_track > 255) {
        if (!ConfirmOK("Tracknum must be < 256 in v1 tags")) {
            return false;
        }
        // The record keeps eight bits: the highest number it can hold rather than the remainder.
        song.Track = 255;
    } else {
        song.Track = static_cast<std::uint8_t>(std::max(m_track, 0));
    }
    song.GenreId = static_cast<std::uint8_t>(m_genreId);
    song.GenreName = m_genreName;
    Changed();
    return true;
}

bool EditSongController::ResolveAlbum(TSong& song) {
    QString album = m_album;
    if (album.isEmpty()) {
        song.AlbumId = 0;
        song.AlbumName.clear();
        return true;
    }
    TrimTrailingBlanks(album);
    int id = m_library.albums.ExpandAlbumRef(album);
    if (id < 0) {
        return false;
    }
    if (id > 0) {
        m_album = album;
    } else if (album != song.AlbumName || song.AlbumId == -1) {
        id = m_library.albums.FindOrCreateAlbum(album, song.ArtistId);
        if (id == -2) {
            ShowInfo("More than one album found with name " + QuoteDouble(album) + "\r" +
                     "Use name=#nnnn to identify uniquely");
            return false;
        }
        if (id < 0) {
            return false;
        }
    } else {
        id = song.AlbumId;
    }
    song.AlbumId = id;
    TAlbum stored;
    song.AlbumName = m_library.albums.FindAlbumById(id, stored) ? stored.AlbumName : album;
    m_album = song.AlbumName;
    return true;
}

EditClose EditSongController::Save() {
    if (!m_dirty) {
        return EditClose::KeepOpen;
    }
    TSong song = m_edited;
    if (!CopyBoxesIntoSong(song)) {
        return EditClose::KeepOpen;
    }
    if (m_tags.ChooseId3v1OrV2(song, m_file.TagSource)) {
        return EditClose::KeepOpen;
    }
    if (m_tagsToo) {
        try {
            m_tags.SaveSongTags(song);
        } catch (...) {
            // The catalogue is saved all the same, as after a tag that was parked.
            ShowInfo(song.FullPath + "\r" + CurrentExceptionText());
        }
    }
    // The ID3v2 choice was for this save only, even when no tag was written.
    m_tags.useV2 = false;
    // Saving moves the albums' counts of existing files when the song changes album.
    m_library.songs.SaveSong(song);
    m_library.catalogue.CommitAndContinue();
    m_edited = song;
    m_dirty = false;
    m_tagsToo = false;
    Changed();
    return EditClose::Ok;
}

EditClose EditSongController::ResyncToFile() {
    // Unlike Close, a save made here is reported to the caller, who would otherwise go on showing
    // the details as they were before it.
    m_tagsToo = m_dirty = true;
    return Save();
}

EditClose EditSongController::Cancel() {
    if (m_dirty && !ConfirmSure("Your changes will be discarded")) {
        return EditClose::KeepOpen;
    }
    return EditClose::Cancel;
}

void EditSongController::Changed() {
    if (m_display != nullptr) {
        m_display->EditStateChanged();
    }
}

}  // namespace sw
