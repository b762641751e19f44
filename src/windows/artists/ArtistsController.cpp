#include "ArtistsController.h"

#include "windows/main/LibraryList.h"
#include "windows/songs/SongListController.h"
#include "core/Catalogue.h"
#include "core/Library.h"
#include "core/Query.h"
#include "core/Renames.h"
#include "core/Settings.h"
#include "foundation/Clock.h"
#include "foundation/Dialogs.h"
#include "foundation/Text.h"

namespace sw {

namespace {

constexpr int kIdColumn = 0;
constexpr int kNameColumn = 1;
constexpr int kNoFilter = 99;

}  // namespace

QString ArtistListSql(ArtistsView view) {
    if (view == ArtistsView::All || view == ArtistsView::WithNoSongs) {
        return ArtistListJoinSql(view);
    }
    // The songs are counted by their integer artist id alone, and only the few thousand counts
    // meet the artist names: sorting every song with its artist's name and the name in lower case
    // (each at its full declared width) cost most of the list's time. The outer grouping adds up
    // the counts of an id that several ARTIST rows carry, as the join of every song did, and hands
    // the final sort its rows in the same sequence, so that names equal in lower case keep their
    // order. Every song has its number, so counting rows counts numbers; the songs are read in
    // table order and sorted, which costs less than visiting them in the order of the artist id
    // index, one page reading for each song.
    QStringList lines;
    lines << "select s.artistid, a.arname, lower (a.arname) as lname, sum(s.songs) as \"COUNT\""
          << "from (select artistid, count(*) as songs from song group by artistid plan (song natural)) s"
          << "left join artist a on a.artistid = s.artistid"
          << "group by s.artistid, a.arname, lname";
    if (view == ArtistsView::MoreThanOneSong) {
        lines << "having sum(s.songs) > 1";
    }
    lines << "order by lname";
    return lines.join("\n");
}

QString ArtistListJoinSql(ArtistsView view) {
    QStringList lines;
    if (view == ArtistsView::All || view == ArtistsView::WithNoSongs) {
        lines << "select a.artistid, a.arname, lower (a.arname) as lname, a.artistid as \"count\""
              << "from artist a";
        if (view == ArtistsView::WithNoSongs) {
            lines << "where (a.rprts is null) or (a.rprts <> :ts)";
        }
    } else {
        lines << "select s.artistid, a.arname, lower (a.arname) as lname, count(s.songnum)"
              << "from song s left join artist a on a.artistid = s.artistid"
              << "group by s.artistid, a.arname, lname";
        if (view == ArtistsView::MoreThanOneSong) {
            lines << "having count(songnum) > 1";
        }
    }
    lines << "order by lname";
    return lines.join("\n");
}

namespace {

// One statement for every artist, however many there are.
const char kMarkArtistsWithSongs[] =
    "update artist a set a.rprts = :ts\n"
    "where exists (select 1 from song s where s.artistid = a.artistid)";

// The unmarked artists, less those that songs (loaded since the marking) or albums refer to and
// the "various" artist, which the catalogue keeps by its id.
const char kRemoveUnmarkedArtists[] =
    "delete from artist a\n"
    "where ((a.rprts is null) or (a.rprts <> :ts))\n"
    "and not exists (select 1 from song s where s.artistid = a.artistid)\n"
    "and not exists (select 1 from album al where al.artistid = a.artistid)\n"
    "and a.artistid <> :various";

}  // namespace

QString ArtistsViewName(ArtistsView view) {
    switch (view) {
        case ArtistsView::All:
            return "All artists";
        case ArtistsView::WithSongs:
            return "Artists with any songs";
        case ArtistsView::WithNoSongs:
            return "Artists with no songs";
        case ArtistsView::MoreThanOneSong:
            return "Artists with more than one song";
    }
    return {};
}

ArtistsController::ArtistsController(Library& library, SongListController& songs, const Clock& clock)
    : m_library(library), m_songs(songs), m_clock(clock) {}

// Showing.

void ArtistsController::ShowArtistsWindow() {
    // Read first, so that the showing finds the list open and does not read it a second time.
    Refresh();
    if (m_display) {
        m_display->ShowListWindow();
    }
}

void ArtistsController::Activated() {
    if (!m_open && m_library.catalogue.IsOpen()) {
        RefreshArtistList();
    }
}

void ArtistsController::CloseList() {
    m_rows = RowSet();
    m_model.Show(nullptr, {});
    m_open = false;
    m_current = -1;
    if (m_display) {
        m_display->ListBuilt();
    }
    StateChanged();
}

// State.

QString ArtistsController::Caption() const {
    switch (m_view) {
        case ArtistsView::All:
            return "Artists - All";
        case ArtistsView::WithSongs:
            return "Artists - with >0 songs";
        case ArtistsView::WithNoSongs:
            return "Artists - with no songs";
        case ArtistsView::MoreThanOneSong:
            return "Artists - with >1 song";
    }
    return {};
}

QString ArtistsController::FilterCaption() const {
    return m_view == ArtistsView::All ? "Filter" : "FILTER";
}

QString ArtistsController::CountLabel() const {
    return QString::number(m_rows.RowCount()) + " artist(s) listed";
}

bool ArtistsController::SongCountShown() const {
    return m_view == ArtistsView::WithSongs || m_view == ArtistsView::MoreThanOneSong;
}

bool ArtistsController::RemoveAllEnabled() const {
    return m_view == ArtistsView::WithNoSongs && m_markTime > 0;
}

int ArtistsController::ArtistIdAt(int row) const {
    if (!ValidRow(row)) {
        return 0;
    }
    const QVariant value = m_rows.Value(row, kIdColumn);
    return value.isValid() ? value.toInt() : 0;
}

QString ArtistsController::ArtistNameAt(int row) const {
    if (!ValidRow(row)) {
        return {};
    }
    const QVariant value = m_rows.Value(row, kNameColumn);
    return value.isValid() ? value.toString() : QString();
}

void ArtistsController::SetCurrentRow(int row) {
    if (ValidRow(row)) {
        m_current = row;
    }
}

void ArtistsController::SetCurrent(int row) {
    if (!ValidRow(row)) {
        return;
    }
    m_current = row;
    if (m_display) {
        m_display->CurrentRowChanged(row);
    }
}

void ArtistsController::StateChanged() {
    if (m_display) {
        m_display->StateChanged();
    }
}

// The list.

void ArtistsController::RefreshArtistList() {
    const QString sql = m_readByJoin ? ArtistListJoinSql(m_view) : ArtistListSql(m_view);
    if (m_view == ArtistsView::WithNoSongs) {
        Query query(m_library.catalogue, sql);
        m_rows = query.SetTimestamp("ts", m_markTime).Open();
    } else {
        m_rows = m_library.catalogue.Select(sql);
    }
    m_open = true;

    GridColumn artist;
    artist.caption = "Artist";
    artist.text = FieldText(m_rows, "ARNAME");
    std::vector<GridColumn> columns{artist};
    if (SongCountShown()) {
        GridColumn count;
        count.caption = "Song count";
        count.text = FieldText(m_rows, "COUNT");
        count.alignment = Qt::AlignRight | Qt::AlignVCenter;
        columns.push_back(count);
    }
    m_model.Show(&m_rows, std::move(columns));

    const int row = RowWithId(m_rows, kIdColumn, m_remembered);
    m_current = row >= 0 ? row : (m_rows.RowCount() > 0 ? 0 : -1);
    if (m_current >= 0) {
        m_rows.SetCurrentRow(m_current);
    }
    if (m_display) {
        m_display->ListBuilt();
    }
    StateChanged();
}

void ArtistsController::Refresh() {
    if (ValidRow(m_current)) {
        m_remembered = ArtistIdAt(m_current);
    }
    RefreshArtistList();
}

void ArtistsController::SetView(ArtistsView view) {
    m_view = view;
    Refresh();
}

void ArtistsController::ChooseView(ArtistsView view) {
    if (view == ArtistsView::WithNoSongs) {
        ListArtistsWithNoSongs();
    } else {
        SetView(view);
    }
}

void ArtistsController::ListArtistsWithNoSongs() {
    if (m_view != ArtistsView::WithSongs) {
        SetView(ArtistsView::WithSongs);
    }
    if (!ConfirmOK("List artists with no songs (short delay)")) {
        return;
    }
    {
        BusyScope busy;
        m_markTime = m_clock.LocalNow();
        Query mark(m_library.catalogue, kMarkArtistsWithSongs);
        mark.SetTimestamp("ts", m_markTime).Execute();
        m_library.catalogue.CommitAndContinue();
    }
    SetView(ArtistsView::WithNoSongs);
}

void ArtistsController::RemoveArtistsWithNoSongs() {
    if (!RemoveAllEnabled() || RefuseIfReadOnly(m_library.settings.READONLY)) {
        return;
    }
    if (!ConfirmSure("Remove all artists with no songs")) {
        return;
    }
    BusyScope busy;
    Query remove(m_library.catalogue, kRemoveUnmarkedArtists);
    remove.SetTimestamp("ts", m_markTime)
        .SetInteger("various", m_library.artists.VariousArtistId())
        .Execute();
    m_library.catalogue.CommitAndContinue();
}

// Opening a row.

int ArtistsController::SongCountOf(int artistId) {
    if (artistId != 0) {
        return m_library.artists.CountArtistSongs(artistId);
    }
    // The songs list lists those without an artist id under 0 as well.
    m_library.catalogue.RunQuery(
        "select count(s.songnum) from song s where (s.artistid is null) or (s.artistid = 0)");
    return m_library.catalogue.QueryInt("count");
}

void ArtistsController::OpenRow(int row) {
    if (!ValidRow(row)) {
        return;
    }
    SetCurrent(row);
    const int artistId = ArtistIdAt(row);
    if (SongCountOf(artistId) == 0) {
        OfferRemoval(row, artistId);
        return;
    }
    m_remembered = artistId;
    m_library.settings.FILTER = kNoFilter;
    m_songs.ShowArtistSongs(artistId);
}

QString ArtistsController::ReasonToKeep(int artistId) {
    const QString artist = "Artist #" + QString::number(artistId);
    if (artistId == m_library.artists.VariousArtistId()) {
        return artist + " is the \"various\" artist, not removed";
    }
    m_library.catalogue.RunQuery("select count(*) from album al where al.artistid = " +
                                 QString::number(artistId));
    const int albums = m_library.catalogue.QueryInt("count");
    if (albums > 0) {
        return artist + " is the artist of " + QString::number(albums) + " album(s), not removed";
    }
    return {};
}

void ArtistsController::OfferRemoval(int row, int artistId) {
    if (AskYesNoCancel("Artist #" + QString::number(artistId) + " has no songs, OK to remove ? ") != 'Y') {
        return;
    }
    if (RefuseIfReadOnly(m_library.settings.READONLY)) {
        return;
    }
    const QString keep = ReasonToKeep(artistId);
    if (!keep.isEmpty()) {
        ShowInfo(keep);
        return;
    }
    const int next = row + 1 < m_rows.RowCount() ? row + 1 : row - 1;
    m_remembered = ArtistIdAt(next);
    m_library.artists.DeleteArtistRow(artistId);
    m_library.catalogue.CommitAndContinue();
    RefreshArtistList();
}

void ArtistsController::RowClicked(int row) {
    if (m_display) {
        m_display->ClearSearchQuietly();
    }
    OpenRow(row);
}

void ArtistsController::EnterPressed() {
    OpenRow(m_current);
}

void ArtistsController::SearchTyped(const QString& text) {
    const int count = m_rows.RowCount();
    if (count == 0) {
        return;
    }
    const int row = FirstRowNotLess(
        count, [this, &text](int each) { return CompareNoCase(ArtistNameAt(each), text) >= 0; });
    // A text beyond every name leaves the cursor at the end of the list.
    SetCurrent(row >= 0 ? row : count - 1);
}

// The pop-up menu.

const ArtistPopupMenu& ArtistsController::OpenPopup(int row) {
    if (m_display) {
        m_display->ClearSearchQuietly();
    }
    SetCurrent(row);
    m_popup = ArtistPopupMenu{};
    m_popup.caption = "= Artist #" + QString::number(ArtistIdAt(m_current));
    m_popup.detailsEnabled = static_cast<bool>(m_hooks.artistDetails);
    return m_popup;
}

void ArtistsController::PopupListSongs() {
    OpenRow(m_current);
}

void ArtistsController::PopupDetails() {
    if (m_hooks.artistDetails && ValidRow(m_current)) {
        m_hooks.artistDetails(ArtistIdAt(m_current));
    }
}

void ArtistsController::PopupRename() {
    if (!ValidRow(m_current) || RefuseIfReadOnly(m_library.settings.READONLY)) {
        return;
    }
    const int artistId = ArtistIdAt(m_current);
    int mergedInto = 0;
    if (!PromptRenameArtist(m_library, artistId, &mergedInto)) {
        return;
    }
    // A merged artist is gone; the cursor goes to the one that took its songs.
    m_remembered = mergedInto > 0 ? mergedInto : artistId;
    RefreshArtistList();
}

void ArtistsController::PopupCopyArtist() {
    if (!ValidRow(m_current)) {
        return;
    }
    m_library.clipboard.artist = {ArtistIdAt(m_current), ArtistNameAt(m_current)};
    FlashMessage("Copied ok");
}

}  // namespace sw
