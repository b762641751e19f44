// The version ladder and the table check that follow the opening of the catalogue.
#include <array>
#include <vector>

#include "Catalogue.h"
#include "Firebird.h"
#include "SongSearchTable.h"

namespace sw {

namespace {

/// The same statement stands in sql/upgrade-catalogue.sql.
constexpr const char* kCreateSongLoudness =
    "create table songloudness (songnum integer not null, trackgain double precision, trackpeak double "
    "precision, albumgain double precision, albumpeak double precision, lufs double precision, truepeak "
    "double precision, source char(1), musicstart integer, musicend integer, measurets timestamp, "
    "constraint pk_songloudness primary key (songnum))";
/// A song's loudness row goes with the song, whichever statement deletes it (a song, an album with
/// its songs): left behind, it would be taken for the measurement of a later song given the number.
/// Made when the tables are opened, as the indexes of the ladder's tables are: a trigger's body
/// cannot stand in the creation scripts, which isql ends at every ";".
constexpr const char* kSongLoudnessTrigger = "SONGLOUDNESS_SONG_DELETE";
constexpr const char* kCreateSongLoudnessTrigger =
    "create trigger songloudness_song_delete for song after delete as begin delete from songloudness "
    "where songnum = old.songnum; end";

/// The same statements stand in sql/upgrade-catalogue.sql.
constexpr const char* kCreateSongSearch =
    "create table songsearch (songnum integer not null, lowtitle varchar(80), lowfn varchar(255), lowcomment "
    "varchar(80))";
constexpr const char* kCreateSongSearchIndex = "create index ix_songsearch_songnum on songsearch (songnum)";

QString FillSongSearch() {
    return "insert into songsearch (songnum, lowtitle, lowfn, lowcomment) select songnum, " +
           HeldSearchForm("title") + ", " + HeldSearchForm("fn") + ", " + HeldSearchForm("\"comment\"") +
           " from song";
}

/// The statements that make the rows of SONGSEARCH for the songs numbered `number` afresh from all of
/// them, so that two songs sharing a number (which a damaged catalogue may hold) keep their own texts.
QString RemakeSearchRows(const QString& number) {
    return "delete from songsearch where songnum = " + number + "; " + FillSongSearch() +
           " where songnum = " + number + "; ";
}

/// A text column changed for a search: texts that differ only in trailing blanks compare equal but
/// are told apart by a search for a blank.
QString Changed(const QString& column) {
    return QString(
               "new.%1 is distinct from old.%1 or octet_length(new.%1) is distinct from octet_length(old.%1)")
        .arg(column);
}

/// Keeps SONGSEARCH equal to the songs' texts whichever statement writes SONG. An update that leaves
/// the number and the three texts alone (a time stamp, a rating) costs nothing more.
QString SongSearchTrigger() {
    return QString(
               "create or alter trigger %1 for song active after insert or update or delete as begin "
               "if (inserting) then insert into songsearch (songnum, lowtitle, lowfn, lowcomment) values "
               "(new.songnum, %2, %3, %4); "
               "else if (deleting or new.songnum is distinct from old.songnum or ")
               .arg(kSongSearchTrigger, HeldSearchForm("new.title"), HeldSearchForm("new.fn"),
                    HeldSearchForm("new.\"comment\"")) +
           Changed("title") + " or " + Changed("fn") + " or " + Changed("\"comment\"") + ") then begin " +
           RemakeSearchRows("old.songnum") +
           "if (updating) then if (new.songnum <> old.songnum) then begin " +
           RemakeSearchRows("new.songnum") + "end end end";
}

struct LadderStep {
    int from;
    std::vector<const char*> statements;
};

/// Each step is announced and recorded before its statements run, each committed on its own, so a
/// failing statement is not tried again at the next start.
const std::array<LadderStep, 12> kLadder{{
    {1,
     {"alter table album add grpid integer default 0, add alorgrp char(1) default 'A'",
      "update album set alorgrp = 'A', grpid = 0"}},
    {2, {"alter table genre drop rprts", "alter table genre add rprts timestamp"}},
    {3,
     {"alter table album add ratingdrvd integer default 20, add ratingassd integer default 0, add ratingsumm "
      "integer default 20",
      "update album set ratingdrvd = 0, ratingassd = 0, ratingsumm = 0"}},
    {4, {"alter table album add seq integer default 0", "update album set seq = 0"}},
    {5, {"alter table album add grpseq smallint default 0", "update album set grpseq = 0"}},
    {6, {"create table history (songnum integer not null, ts timestamp not null)"}},
    {7, {"alter table artist add rprts timestamp"}},
    {8,
     {"alter table history add pldate integer, add pltime integer",
      "create table daynote (dayint integer not null, note varchar(255) )"}},
    // 9 to 10 is the history repair, made when the database check opens.
    {9, {}},
    {10, {"alter table plist add pldate integer default 0", "update plist set pldate=0"}},
    // Loudness and the start and end of the music, one row per measured song.
    {11, {kCreateSongLoudness}},
    // The songs' texts lower-cased for the text searches; filled, and then kept, once the tables
    // are opened.
    {12, {kCreateSongSearch, kCreateSongSearchIndex}},
}};

constexpr int kHistoryRepairVersion = 9;

/// Indexes the program relies on that a catalogue may lack: those on tables the ladder creates,
/// which cannot come with the creation script (the play history by day for the days window and by
/// song for the details and the health check), and those added to the script later.
struct LadderIndex {
    const char* name;
    const char* table;
    const char* column;
    const char* statement;
};

const LadderIndex kLadderIndexes[] = {
    {"IX_HISTORY_PLDATE", "HISTORY", "PLDATE", "create index ix_history_pldate on history (pldate)"},
    {"IX_HISTORY_SONGNUM", "HISTORY", "SONGNUM", "create index ix_history_songnum on history (songnum)"},
    {"IX_SONG_SONGNUM_DESC", "SONG", "SONGNUM",
     "create descending index ix_song_songnum_desc on song (songnum)"},
    {"IX_ALBUM_ALBUMID_DESC", "ALBUM", "ALBUMID",
     "create descending index ix_album_albumid_desc on album (albumid)"},
    {"IX_ARTIST_ARTISTID_DESC", "ARTIST", "ARTISTID",
     "create descending index ix_artist_artistid_desc on artist (artistid)"},
    {"IX_SONG_TITLE_LOWER", "SONG", "TITLE",
     "create index ix_song_title_lower on song computed by (lower(title))"},
    {"IX_GENRE_NAME_LOWER", "GENRE", "GNAME",
     "create index ix_genre_name_lower on genre computed by (lower(gname))"},
};

bool Exists(Catalogue& catalogue, const QString& sql) {
    return QueryFieldInt(catalogue.Select(sql), "ct") > 0;
}

constexpr const char* kSearchTableQuery =
    "select count(*) as ct from rdb$relations where rdb$relation_name = 'SONGSEARCH'";

/// The trigger is there, active, and holds the texts as this version compares them (an earlier one
/// held them lower-cased only).
QString SearchTriggerQuery() {
    return QString(
               "select count(*) as ct from rdb$triggers where rdb$trigger_name = '%1' and "
               "coalesce(rdb$trigger_inactive, 0) = 0 and rdb$trigger_source containing '%2'")
        .arg(kSongSearchTrigger, HeldSearchForm("new.title"));
}

}  // namespace

bool Catalogue::UpgradeCatalogue() {
    bool repairDue = false;
    for (const LadderStep& step : kLadder) {
        if (m_version != step.from || step.from == kHistoryRepairVersion) {
            continue;
        }
        RaiseCatalogueVersion();
        for (const char* statement : step.statements) {
            ExecSqlCommit(statement);
        }
        repairDue = m_version == kHistoryRepairVersion;
    }
    return repairDue;
}

void Catalogue::OpenTableCursors() {
    for (const char* table : {"SONG", "GENRE", "PLIST", "SONGINPL", "ARTIST", "ALBUM", "HISTORY"}) {
        Prepare(QString("select * from ") + table);
    }
    for (const LadderIndex& index : kLadderIndexes) {
        const QString where = QString("where rdb$relation_name = '%1' and rdb$field_name = '%2'")
                                  .arg(index.table, index.column);
        const RowSet column = Select("select count(*) as ct from rdb$relation_fields " + where);
        const RowSet existing = Select(
            QString("select count(*) as ct from rdb$indices where rdb$index_name = '%1'").arg(index.name));
        if (QueryFieldInt(column, "ct") > 0 && QueryFieldInt(existing, "ct") == 0) {
            ExecSqlCommit(index.statement);
        }
    }
    const RowSet table =
        Select("select count(*) as ct from rdb$relations where rdb$relation_name = 'SONGLOUDNESS'");
    const RowSet trigger =
        Select(QString("select count(*) as ct from rdb$triggers where rdb$trigger_name = '%1'")
                   .arg(kSongLoudnessTrigger));
    if (QueryFieldInt(table, "ct") > 0 && QueryFieldInt(trigger, "ct") == 0) {
        ExecSqlCommit(kCreateSongLoudnessTrigger);
    }
    // Without its trigger the table may have missed changes (or was never filled), and with an
    // earlier version's it holds its texts otherwise: it is filled afresh first, so that a stop in
    // between leaves the trigger as it was, and the table to be filled again.
    if (Exists(*this, kSearchTableQuery) && !Exists(*this, SearchTriggerQuery())) {
        ExecSqlCommit("delete from songsearch");
        ExecSqlCommit(FillSongSearch());
        ExecSqlCommit(SongSearchTrigger());
    }
}

QString HeldSearchForm(const QString& expression) {
    return "lower(upper(lower(" + expression + ")))";
}

bool SongSearchTableKept(Catalogue& catalogue) {
    return Exists(catalogue, SearchTriggerQuery());
}

}  // namespace sw
