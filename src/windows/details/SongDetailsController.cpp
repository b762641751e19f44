#include "SongDetailsController.h"

#include <QFileInfo>
#include <algorithm>
#include <exception>

#include "core/Catalogue.h"
#include "core/Library.h"
#include "core/Query.h"
#include "core/Renames.h"
#include "core/Settings.h"
#include "core/SongText.h"
#include "foundation/Dates.h"
#include "foundation/Dialogs.h"
#include "foundation/Files.h"
#include "foundation/Numbers.h"
#include "foundation/Text.h"
#include "core/Playlists.h"
#include "core/Ratings.h"
#include "tags/Id3v1.h"
#include "tags/TagPolicy.h"

namespace sw {

namespace {

const std::array<QString, kDetailsPageCount> kPageCaptions = {
    " Sonwick database", " File system", "MP3 tag vn 1", "MP3 tag vn 2",
    "OGG comment",       "M4A/WMA tag",  "in playlists", "When played"};
const std::array<QString, kTagKindCount> kTagCaptions = {"MP3 tag vn 1", "MP3 tag vn 2", "OGG comment",
                                                         "M4A/WMA tag"};

}  // namespace

SongDetailsController::SongDetailsController(Library& library, TagPolicy& tags, Playlists& playlists,
                                             Ratings& ratings)
    : m_library(library), m_tags(tags), m_playlists(playlists), m_ratings(ratings) {}

QString SongDetailsController::PageCaption(DetailsPage page) const {
    const auto index = static_cast<std::size_t>(page);
    const auto first = static_cast<std::size_t>(DetailsPage::Id3v1);
    if (index >= first && index < first + m_tagPages.size() && !m_tagPages[index - first].caption.isEmpty()) {
        return m_tagPages[index - first].caption;
    }
    return kPageCaptions[index];
}

bool SongDetailsController::ShowSongDetails(int songNum) {
    TSong song;
    if (!m_library.songs.GetSongByNumber(songNum, song)) {
        return false;
    }
    OpenSongDetails(song);
    return true;
}

bool SongDetailsController::ShowSongPlaylists(int songNum) {
    if (!ShowSongDetails(songNum)) {
        return false;
    }
    m_page = DetailsPage::Playlists;
    if (m_display != nullptr) {
        m_display->SelectPage(DetailsPage::Playlists);
    }
    return true;
}

void SongDetailsController::OpenSongDetails(TSong song) {
    TAlbum album;
    bool found = false;
    if (song.AlbumId >= 0) {
        found = m_library.albums.FindAlbumById(song.AlbumId, album);
    } else if (!song.AlbumName.isEmpty()) {
        found = m_library.albums.FindAlbumByName(song.AlbumName, album) > 0;
    }
    // The window offers to put the album right; a read-only catalogue refuses after the question.
    if (!found && song.AlbumId > 0 &&
        Confirm("Album #" + QString::number(song.AlbumId) + " not found, OK to create?") && !ReadOnly()) {
        m_song = song;
        if (CreateMissingAlbum()) {
            m_library.songs.FindSongByNumber(song.SongNum, song);
        }
    } else if (found && song.AlbumId > 0 && song.AlbumName != album.AlbumName &&
               Confirm("Album name " + QuoteDouble(song.AlbumName) + " should be " +
                       QuoteDouble(album.AlbumName) + " - OK to update Song?") &&
               !ReadOnly()) {
        song.AlbumName = album.AlbumName;
        SaveSongWithTags(m_library, song);
        m_library.catalogue.CommitAndContinue();
        m_library.songs.FindSongByNumber(song.SongNum, song);
    }
    m_song = song;
    m_page = DetailsPage::Catalogue;
    DisplaySongDetails();
    if (m_display != nullptr) {
        m_display->SelectPage(DetailsPage::Catalogue);
        m_display->ShowDetailsWindow();
    }
}

// The song keeps its album id and the album gets it back, so that every song still naming that id
// is whole again without a row of SONG being changed. Its name is the one the file's tag gives,
// or "Album #<id>" for the user to rename.
bool SongDetailsController::CreateMissingAlbum() {
    const int missingId = m_song.AlbumId;
    QString name;
    if (QFileInfo(m_song.FullPath).isFile()) {
        TSong fromFile;
        try {
            m_tags.ReadSongFromFile(m_song.FullPath, fromFile, ResolveMode::None);
            name = fromFile.AlbumName.trimmed();
        } catch (...) {
            name.clear();
        }
    }
    if (name.isEmpty()) {
        name = "Album #" + QString::number(missingId);
    }
    TAlbum album;
    ClearAlbum(album);
    album.AlbumName = name;
    album.ArtistName = m_song.ArtistName;
    album.ArtistId = m_song.ArtistId >= 0 ? m_song.ArtistId : -1;
    album.Year = m_song.Year;
    album.NumExi = m_song.Exi ? 1 : 0;
    m_library.albums.WriteAlbum(album);
    if (album.AlbumId <= 0) {
        return false;
    }
    if (album.AlbumId != missingId) {
        m_library.catalogue.ExecSql("update album set albumid = " + QString::number(missingId) +
                                    " where albumid = " + QString::number(album.AlbumId));
    }
    m_library.catalogue.CommitAndContinue();
    return true;
}

void SongDetailsController::AddStatus(const QString& text) {
    if (!m_status.contains(text)) {
        m_status << text;
    }
}

void SongDetailsController::ClearStatus() {
    m_status.clear();
}

void SongDetailsController::DisplaySongDetails() {
    ClearStatus();
    const TSong& s = m_song;
    SongDetailsText& t = m_text;
    t = SongDetailsText{};
    t.title = s.Title;
    t.artist = "Artist #" + QString::number(s.ArtistId) + " " + s.ArtistName;
    t.album = "Album #" + QString::number(s.AlbumId) + " " + s.AlbumName;
    QString genreName;
    m_library.songs.GenreNameById(s.GenreId, genreName);
    t.genre = "Genre #" + QString::number(s.GenreId) + " " + genreName;
    t.track = QString::number(s.Track);
    t.year = s.Year;
    t.comment = s.Comment;
    t.rating = SignedText(s.Rating);
    RatingSymbol(s.Rating, t.ratingSymbol);
    t.symbolFont = s.Rating != 0;

    const QFileInfo file(s.FullPath);
    const bool present = !s.FullPath.isEmpty() && file.isFile();
    t.relativeFileName = s.FileName;
    t.fileName = file.fileName();
    // Shown as the file system spells it: on this system a lower-cased folder names another one.
    t.folder = file.path();
    t.fileFound = present ? " File found OK " : " File not found ";
    t.deleteEnabled = present;
    t.remindVisible = s.Exi != present;

    t.windowCaption = "Song #" + QString::number(s.SongNum) + " details";
    t.songNumber = s.SongNum != 0 ? QString::number(s.SongNum) : QString();
    t.fileSize = s.Size != 0 ? FormatThousands(s.Size) : QString();
    t.duration = s.Duration != 0 ? DurationText(s.Duration) : QString();
    t.created = StampTextOrEmpty(s.CreateTs);
    t.lastEdited = StampTextOrEmpty(s.EditTs);
    t.searchTs = StampTextOrEmpty(s.SearchTs);

    for (std::size_t i = 0; i < m_tagPages.size(); ++i) {
        m_tagPages[i] = TagPageView{};
        m_tagPages[i].caption = kTagCaptions[i];
        ClearSong(m_tagSongs[i]);
    }
    m_highlighted.fill(false);
    if (present) {
        t.fileCreated = StampTextOrEmpty(FileCreatedTime(s.FullPath));
        t.fileModified = StampTextOrEmpty(FileModifiedTime(s.FullPath));
        FillTagPages();
        const std::int64_t actual = FileSizeBytes(s.FullPath);
        t.actualFileSize = FormatThousands(static_cast<int>(actual));
        if (actual != s.Size) {
            AddStatus("File size differs");
        }
        MarkMismatches(m_tagSongs[0], true);
        MarkMismatches(m_tagSongs[1], false);
        MarkMismatches(m_tagSongs[2], false);
        MarkMismatches(m_tagSongs[3], false);
        for (const bool differs : m_highlighted) {
            if (differs) {
                AddStatus("Database / music file mismatches are highlighted in yellow");
                break;
            }
        }
    }
    QueryPlaylists();
    Changed();
}

void SongDetailsController::FillTagPages() {
    for (std::size_t i = 0; i < m_tagSongs.size(); ++i) {
        TSong& scratch = m_tagSongs[i];
        scratch.FullPath = m_song.FullPath;
        scratch.FileName = m_song.FileName;
        scratch.FileType = m_song.FileType;
        scratch.Title.clear();
    }
    // A file that cannot be read leaves its page without a tag and says why in the status line.
    auto guarded = [this](TagKind kind, void (SongDetailsController::*fill)()) {
        try {
            (this->*fill)();
        } catch (...) {
            TagPageView& page = m_tagPages[static_cast<std::size_t>(kind)];
            page.found = false;
            page.caption = "( " + kTagCaptions[static_cast<std::size_t>(kind)] + " )";
            AddStatus(CurrentExceptionText());
        }
    };
    guarded(TagKind::Id3v1, &SongDetailsController::FillId3v1Page);
    guarded(TagKind::Id3v2, &SongDetailsController::FillId3v2Page);
    guarded(TagKind::Ogg, &SongDetailsController::FillOggPage);
    guarded(TagKind::Container, &SongDetailsController::FillContainerPage);
    const bool anyFound =
        std::any_of(m_tagPages.begin(), m_tagPages.end(), [](const TagPageView& page) { return page.found; });
    if (!anyFound && m_tagSongs[1].TagSource != kTagId3v2Unicode) {
        AddStatus("No tag on file");
    }
}

void SongDetailsController::FillId3v1Page() {
    TSong& tag = m_tagSongs[0];
    TagPageView& page = m_tagPages[0];
    if (!ReadId3v1(tag, m_tags.State())) {
        page.caption = "( " + kTagCaptions[0] + " )";
        return;
    }
    page.found = true;
    page.removeVisible = true;
    page.writeCaption = "Update tag";
    page.lines = {{"Title", tag.Title},     {"Artist", tag.ArtistName},
                  {"Album", tag.AlbumName}, {"Track", QString::number(tag.Track)},
                  {"Year", tag.Year},       {"Genre", QString::number(tag.GenreId)},
                  {"Comment", tag.Comment}};
}

void SongDetailsController::FillId3v2Page() {
    TSong& tag = m_tagSongs[1];
    TagPageView& page = m_tagPages[1];
    const bool found = m_tags.ReadId3v2IntoSong(tag);
    const TLastTagExtras extras = m_tags.State().LastTagExtras;
    if (tag.TagSource == kTagId3v2Unicode) {
        page.notFoundText = "Tag contains Unicode, not supported here";
    }
    page.removeVisible = tag.TagSource != kTagNoTag;
    page.writeCaption = tag.TagSource != kTagNoTag ? "Update tag" : "Insert tag";
    if (!found) {
        page.caption = "( " + kTagCaptions[1] + " )";
        return;
    }
    page.found = true;
    QString genre = tag.GenreName;
    if (!genre.isEmpty() && tag.GenreId == kNoGenre) {
        genre += " Genre not found ";
    }
    page.lines = {{"Title", tag.Title},
                  {"Artist", tag.ArtistName},
                  {"Album", tag.AlbumName},
                  {"Track", QString::number(tag.Track)},
                  {"Year", tag.Year},
                  {"Genre", genre},
                  {"Comment", tag.Comment},
                  {"Composer ", extras.Composer},
                  {"Encoder ", extras.Encoder},
                  {"Copyright ", extras.Copyright},
                  {"Language ", extras.Language},
                  {"Link ", extras.Link},
                  {"Derived rating = ", QString::number(m_tags.RatingFromTags())}};
}

void SongDetailsController::FillOggPage() {
    TSong& tag = m_tagSongs[2];
    TagPageView& page = m_tagPages[2];
    if (!m_tags.ReadOggIntoSong(tag) && tag.TagSource != kTagOgg) {
        page.caption = "( " + kTagCaptions[2] + " )";
        return;
    }
    page.found = true;
    page.lines = {{"Title", tag.Title},     {"Artist", tag.ArtistName},
                  {"Album", tag.AlbumName}, {"Track", QString::number(tag.Track)},
                  {"Year", tag.Year},       {"Genre", tag.GenreName},
                  {"Comment", tag.Comment}, {"Vendor ", m_tags.State().LastTagExtras.Vendor}};
}

// Shown as the edit window shows it, and only for the file types that carry such a tag: the page
// never offers to write one.
void SongDetailsController::FillContainerPage() {
    TSong& tag = m_tagSongs[3];
    TagPageView& page = m_tagPages[3];
    if (!IsReadOnlyTagType(m_song.FileType) || !m_tags.ReadContainerTagIntoSong(tag)) {
        page.caption = "( " + kTagCaptions[3] + " )";
        return;
    }
    page.found = true;
    page.note = m_song.FileType + " tag (read only)";
    page.lines = {{"Title", tag.Title},     {"Artist", tag.ArtistName},
                  {"Album", tag.AlbumName}, {"Track", QString::number(tag.Track)},
                  {"Year", tag.Year},       {"Genre", tag.GenreName},
                  {"Comment", tag.Comment}};
}

void SongDetailsController::MarkMismatches(const TSong& tag, bool genreById) {
    if (tag.TagSource != kTagId3v1 && tag.TagSource != kTagId3v2 && tag.TagSource != kTagOgg &&
        tag.TagSource != kTagMp4OrAsf) {
        return;
    }
    auto mark = [this](DetailsField field, bool differs) {
        if (differs) {
            m_highlighted[static_cast<std::size_t>(field)] = true;
        }
    };
    mark(DetailsField::Title, tag.Title != m_song.Title);
    mark(DetailsField::Artist, tag.ArtistName != m_song.ArtistName);
    mark(DetailsField::Album, tag.AlbumName != m_song.AlbumName);
    mark(DetailsField::Track, tag.Track != m_song.Track);
    mark(DetailsField::Year, tag.Year != m_song.Year);
    mark(DetailsField::Genre, genreById ? tag.GenreId != m_song.GenreId : tag.GenreName != m_song.GenreName);
    mark(DetailsField::Comment, tag.Comment != m_song.Comment);
}

void SongDetailsController::QueryPlaylists() {
    Query query(m_library.catalogue,
                "select s.plid, s.seq, p.plname\n"
                "from songinpl s \n"
                "left join plist p on p.plid = s.plid \n"
                "where s.songnum = :songnum\n"
                "order by s.plid , s.seq");
    m_playlistRows = query.SetInteger("songnum", m_song.SongNum).Open();
}

void SongDetailsController::QueryHistory() {
    m_historyRows = m_library.catalogue.RunQuery(
        "select pldate, pltime from history where songnum=" + QString::number(m_song.SongNum) +
        " order by pldate, pltime");
    RowSet& first = m_library.catalogue.RunQuery("select min(pldate) from history");
    const QVariant earliest = first.RowCount() > 0 ? first.Value(0, 0) : QVariant();
    AddStatus("No play history before " + (earliest.isNull() ? QString() : DateNumberText(earliest.toInt())));
}

void SongDetailsController::PageShown(DetailsPage page) {
    if (m_page == DetailsPage::WhenPlayed && page != DetailsPage::WhenPlayed) {
        ClearStatus();
    }
    m_page = page;
    if (page == DetailsPage::WhenPlayed) {
        QueryHistory();
    }
    Changed();
}

void SongDetailsController::Refresh() {
    TSong fresh;
    if (!m_library.songs.GetSongByNumber(m_song.SongNum, fresh)) {
        if (m_display != nullptr) {
            m_display->CloseDetailsWindow();
        }
        return;
    }
    m_song = fresh;
    if (m_page == DetailsPage::WhenPlayed) {
        QueryHistory();
        Changed();
    } else {
        DisplaySongDetails();
    }
}

void SongDetailsController::Changed() {
    if (m_display != nullptr) {
        m_display->DetailsChanged();
    }
}

bool SongDetailsController::ReadOnly() const {
    return RefuseIfReadOnly(m_library.settings.READONLY);
}

}  // namespace sw
