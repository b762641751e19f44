#include "Artists.h"

#include "Catalogue.h"
#include "ColumnWidths.h"
#include "HashReference.h"
#include "LoadCache.h"
#include "foundation/Dialogs.h"
#include "foundation/Numbers.h"
#include "foundation/Text.h"

namespace sw {

namespace {
const QString kVarious = "various";
}

ArtistStore::ArtistStore(Catalogue& catalogue)
    : m_catalogue(catalogue),
      m_byId(catalogue, "select ar.artistid, ar.arname from artist ar where ar.artistid = :id"),
      m_byName(catalogue, "select ar.artistid, ar.arname from artist ar where lower(ar.arname) = :name"),
      m_storedCase(catalogue) {}

void ArtistStore::InitVariousArtist() {
    m_variousId = FindOrCreateArtist(kVarious);
}

bool ArtistStore::FindArtistById(int id, TArtist& artist) {
    RowSet rows = m_byId.SetInteger("id", id).Open();
    if (rows.RowCount() == 0) {
        return false;
    }
    artist = {rows.Int("ARTISTID"), rows.Text("ARNAME")};
    return true;
}

int ArtistStore::FindArtistByName(const QString& name) {
    if (name.isEmpty()) {
        return 0;
    }
    // Names are stored cut to their column, so a longer name is looked up as it was stored.
    const QString lower = m_storedCase.Lower(FitToColumn(name, kArtistNameWidth));
    if (lower == kVarious && m_variousId > 0) {
        m_last = {m_variousId, kVarious};
        return m_variousId;
    }
    QString key;
    if (m_cache) {
        m_cache->Sync(m_byName.Mark());
        key = LoadCache::Key(lower);
        if (const TArtist* known = m_cache->Artist(key)) {
            m_last = *known;
            return m_last.ArtistId;
        }
    }
    const RowSet rows = m_byName.SetExactText("name", lower).Open();
    if (rows.RowCount() == 0) {
        return -1;
    }
    m_last = {rows.Int("ARTISTID"), rows.Text("ARNAME")};
    if (m_cache) {
        m_cache->KeepArtist(key, m_last);
    }
    return m_last.ArtistId;
}

int ArtistStore::FindOrCreateArtist(const QString& name) {
    const int id = FindArtistByName(name);
    if (id != -1) {
        return id;
    }
    const int created = InsertArtist(name);
    m_last = {created, FitToColumn(name, kArtistNameWidth)};
    return created;
}

int ArtistStore::InsertArtist(const QString& name) {
    const int id = m_catalogue.NextArtistId();
    const QString stored = FitToColumn(name, kArtistNameWidth);
    RunOwn(m_cache, m_byName, [&] {
        m_catalogue.ExecSql("insert into artist (artistid, arname) values (" + QString::number(id) + ", " +
                            SqlQuote(stored) + ");");
    });
    if (m_cache) {
        m_cache->ArtistAdded(stored);
    }
    return id;
}

int ArtistStore::ExpandArtistRef(QString& typed) {
    return ExpandHashReference(typed, "artist", [this](int id, QString& name) {
        TArtist artist;
        const bool found = FindArtistById(id, artist);
        name = artist.ArtistName;
        return found;
    });
}

int ArtistStore::CountArtistSongs(int id) {
    m_catalogue.RunQuery("select count(s.songnum) from song s where s.artistid = " + QString::number(id));
    return m_catalogue.QueryInt("count");
}

void ArtistStore::DeleteArtistRow(int id) {
    m_catalogue.ExecSql("delete from artist where artistid = " + QString::number(id));
}

void ShowArtistZeroReserved() {
    ShowInfo("Artist #0 cannot be renamed, reserved for artist name = blank");
}

}  // namespace sw
