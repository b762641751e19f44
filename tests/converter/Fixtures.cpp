#include "Fixtures.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QTime>
#include <QTimeZone>

namespace sw::test {

namespace {

using paradox::FieldType;
using Row = std::vector<QVariant>;

QDateTime Stamp(int year, int month, int day, int hour, int minute, int second) {
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second), QTimeZone::utc());
}

QVariant Int(qint64 value) {
    return QVariant(value);
}

const QVariant kNull;

// The tables of the previous edition, as its database engine created them.
std::vector<WriterField> SongFields() {
    return {{"SongNum", FieldType::AutoIncrement, 4},
            {"title", FieldType::Alpha, 80},
            {"album", FieldType::Alpha, 80},
            {"artist", FieldType::Alpha, 80},
            {"Track", FieldType::Short, 2},
            {"Genreid", FieldType::Short, 2},
            {"Year", FieldType::Alpha, 4},
            {"CreateTS", FieldType::Timestamp, 8},
            {"SearchTS", FieldType::Timestamp, 8},
            {"EditTS", FieldType::Timestamp, 8},
            {"Fn", FieldType::Alpha, 255},
            {"Rating", FieldType::Short, 2},
            {"comment", FieldType::Alpha, 80},
            {"Size", FieldType::Long, 4},
            {"Duration", FieldType::Long, 4},
            {"Exi", FieldType::Logical, 1},
            {"albumid", FieldType::Long, 4}};
}

std::vector<WriterField> GenreFields() {
    return {{"GenreId", FieldType::Short, 2},
            {"Name", FieldType::Alpha, 40},
            {"Dormant", FieldType::Logical, 1},
            {"NumExi", FieldType::Long, 4},
            {"RprTS", FieldType::Timestamp, 8}};
}

std::vector<WriterField> PlaylistFields() {
    return {
        {"Id", FieldType::AutoIncrement, 4}, {"Name", FieldType::Alpha, 40}, {"LastSeq", FieldType::Long, 4}};
}

std::vector<WriterField> EntryFields() {
    return {{"Plid", FieldType::Long, 4},
            {"Seq", FieldType::Long, 4},
            {"Songnum", FieldType::Long, 4},
            {"Track", FieldType::Short, 2},
            {"Album", FieldType::Alpha, 30}};
}

std::vector<WriterField> AlbumFields() {
    return {{"Id", FieldType::Long, 4},           {"Name", FieldType::Alpha, 30},
            {"Artist", FieldType::Alpha, 30},     {"Rprts", FieldType::Timestamp, 8},
            {"Year", FieldType::Alpha, 4},        {"NumExi", FieldType::Long, 4},
            {"Createts", FieldType::Timestamp, 8}};
}

TableLayout Layout(std::vector<WriterField> fields, int keyFields, std::vector<Row> rows) {
    TableLayout layout;
    layout.fields = std::move(fields);
    layout.keyFields = keyFields;
    layout.rows = std::move(rows);
    return layout;
}

Row Song(int number, const QString& title, const QVariant& artist, int album, const QString& file,
         bool exists) {
    return {Int(number),
            title,
            kNull,
            artist,
            Int(number % 12 + 1),
            Int(13),
            "1974",
            Stamp(2011, 3, 4, 10, 20, number % 60),
            Stamp(2011, 3, 5, 8, 0, 0),
            number == 4 ? kNull : QVariant(Stamp(2012, 1, 2, 3, 4, 5)),
            file,
            Int(number % 7 - 2),
            number == 5 ? QVariant("Rock'n'roll") : kNull,
            Int(1000000 + number),
            Int(180 + number),
            exists,
            Int(album)};
}

}  // namespace

QString FixturesFolder() {
    return QStringLiteral(SW_SOURCE_DIR "/tests/fixtures");
}

std::vector<ReaderFixture> ReaderFixtures() {
    std::vector<ReaderFixture> fixtures;

    // Paradox 3.0: a header just long enough, 1 KiB blocks, no code page, and a block chain that
    // does not follow the physical order (the last block is the second in the chain).
    TableLayout old;
    old.fileVersion = 3;
    old.blockUnits = 1;
    old.recordsPerBlock = 2;
    old.chain = {1, 4, 2, 3};
    old.storedName = "RESTTEMP.DB";
    old.fields = {{"Name", FieldType::Alpha, 20},
                  {"Amount", FieldType::Number, 8},
                  {"Price", FieldType::Money, 8},
                  {"Born", FieldType::Date, 4},
                  {"Count", FieldType::Short, 2}};
    const QStringList names = {"Ärger", "Bär", "Çedille", "Dürer", "Eñe", "Føroyar", "Gœthe"};
    for (int i = 0; i < names.size(); ++i) {
        old.rows.push_back({names[i], -1.5 * i, 100.25 * i, QDate(1900 + 20 * i, i + 1, i + 2), Int(i - 3)});
    }
    old.rows[3][1] = kNull;
    fixtures.push_back({"v30.db", old});

    // Paradox 4.x in code page 437 with memos in the record, in a shared .MB block and in a block of
    // their own.
    TableLayout memo;
    memo.fileVersion = 9;
    memo.keyFields = 1;
    memo.codePage = 437;
    memo.fields = {{"Id", FieldType::Long, 4},
                   {"Nature", FieldType::Alpha, 12},
                   {"Notes", FieldType::Memo, 30},
                   {"Picture", FieldType::Graphic, 10}};
    memo.rows = {
        {Int(1), "Adhérent", "short note", kNull},
        {Int(2), "Prospect", QString("longer note à la ligne ").repeated(4), QByteArray("BM\x01\x02", 4)},
        {Int(3), kNull, QString("a big memo ").repeated(500), QByteArray(3000, 'G')},
        {Int(4), "Clergé", kNull, kNull}};
    fixtures.push_back({"memo437.DB", memo});

    // Paradox 7: every other field type, with zero, negative and blank values.
    TableLayout types;
    types.keyFields = 1;
    types.fields = {{"Counter", FieldType::AutoIncrement, 4},
                    {"Short", FieldType::Short, 2},
                    {"Long", FieldType::Long, 4},
                    {"Decimal", FieldType::Bcd, 2},
                    {"Flag", FieldType::Logical, 1},
                    {"Time", FieldType::Time, 4},
                    {"Stamp", FieldType::Timestamp, 8},
                    {"Bytes", FieldType::Bytes, 4},
                    {"Blob", FieldType::Binary, 10},
                    {"Formatted", FieldType::FormattedMemo, 12}};
    types.rows = {
        {Int(1), Int(0), Int(0), "0.00", false, QTime(0, 0), Stamp(1970, 1, 1, 0, 0, 0),
         QByteArray("\x01\x02\x03\x04", 4), QByteArray(20, 'b'), QByteArray("fmt")},
        {Int(2), Int(-40), Int(-2000000000), "-123.45", true, QTime(23, 59, 59, 999),
         Stamp(1999, 12, 31, 23, 59, 59), kNull, kNull, kNull},
        {Int(7), Int(32767), Int(2147483647), "98765432109876543210.99", kNull, kNull, kNull, kNull, kNull,
         kNull},
    };
    fixtures.push_back({"types7.db", types});
    return fixtures;
}

void WriteLegacyFolder(const QString& folder) {
    WriteBytes(folder + "/SonWick.EXE", QByteArray());
    const QString data = folder + "/Data/";
    WriteBytes(
        data + "SONWICK.INI",
        "[main]\r\nDBName=Ann's Caf\xE9 songs\r\nRoot=D:\\Music\\\r\nDBvn=300\r\nMP3ID3V1=1\r\nMP3ID3V2=1\r\n"
        "OGGTAG=0\r\nDBSIZE=1234\r\nFADETIME=2500\r\nSHOWALNUM=0\r\n");
    WriteBytes(folder + "/NPAD.TXT", "Notes\r\nCaf\xE9 cr\xE8me \x96 5 \x80\r\n");

    WriteTable(data + "song.db",
               Layout(SongFields(), 1,
                      {Song(1, "Waterloo", "ABBA", 1, "Pop\\ABBA\\Waterloo.mp3", true),
                       Song(2, "Mamma Mia", "Abba", 1, "Pop\\ABBA\\Mamma Mia.mp3", true),
                       Song(3, "Dancing Queen", "abba", 1, "Pop\\ABBA\\Dancing Queen.mp3", false),
                       Song(4, "Untitled", kNull, 0, "Misc\\untitled.mp3", false),
                       Song(5, "Café del Mar", "Energy 52", 2, "Trance\\Café.mp3", true),
                       Song(6, "Optimist", "Zoë Keating", 3, "D:\\Cello\\Optimist.ogg", true)}));
    WriteTable(data + "genre.db", Layout(GenreFields(), 1,
                                         {{Int(13), "Pop", false, Int(3), Stamp(2011, 6, 7, 8, 9, 10)},
                                          {Int(31), "Trance", true, Int(0), kNull}}));
    WriteTable(data + "plist.db",
               Layout(PlaylistFields(), 1, {{Int(1), "Party", Int(3)}, {Int(2), "Chill's", Int(1)}}));
    WriteTable(data + "songinpl.DB", Layout(EntryFields(), 2,
                                            {{Int(1), Int(1), Int(1), Int(1), "Arrival"},
                                             {Int(1), Int(2), Int(3), Int(3), "Arrival"},
                                             {Int(1), Int(3), Int(5), kNull, kNull},
                                             {Int(2), Int(1), Int(6), kNull, kNull}}));
    WriteTable(data + "album2.DB", Layout(AlbumFields(), 1,
                                          {{Int(0), kNull, kNull, kNull, kNull, Int(0), kNull},
                                           {Int(1), "Arrival", "aBbA", Stamp(2011, 6, 7, 8, 9, 10), "1976",
                                            Int(2), Stamp(2011, 3, 4, 10, 20, 1)},
                                           {Int(2), "Café del Mar Vol. 1", "Various Artists", kNull, "1994",
                                            Int(1), Stamp(2011, 3, 4, 10, 20, 5)},
                                           {Int(3), "Zoë's", "Zoë Keating", kNull, kNull, Int(1), kNull}}));
}

void WriteGeneratedLegacyFolder(const QString& folder, int songs, int entries) {
    WriteBytes(folder + "/sonwick.exe", QByteArray());
    const QString data = folder + "/DATA/";
    WriteBytes(data + "SONWICK.INI", "[main]\r\nDBName=Generated\r\nRoot=C:\\Music\\\r\nDBvn=300\r\n");
    const int groups = std::max(1, songs / 10);
    TableLayout songTable = Layout(SongFields(), 1, {});
    songTable.rows.reserve(static_cast<std::size_t>(songs));
    for (int i = 1; i <= songs; ++i) {
        const QString artist = QString("Artist %1").arg(i % groups);
        songTable.rows.push_back(Song(i, QString("Song number %1").arg(i),
                                      i % 3 == 0 ? artist.toUpper() : artist, i % groups,
                                      QString("Folder %1\\Song %2.mp3").arg(i % groups).arg(i), i % 5 != 0));
    }
    WriteTable(data + "song.db", songTable);
    TableLayout genres = Layout(GenreFields(), 1, {});
    for (int id = 0; id < 150; ++id) {
        genres.rows.push_back({Int(id), QString("Genre %1").arg(id), id % 2 == 0, Int(id), kNull});
    }
    WriteTable(data + "genre.db", genres);
    TableLayout playlists = Layout(PlaylistFields(), 1, {});
    TableLayout entryTable = Layout(EntryFields(), 2, {});
    entryTable.rows.reserve(static_cast<std::size_t>(entries));
    const int perList = std::max(1, entries / groups);
    for (int list = 1, made = 0; made < entries; ++list) {
        const int count = std::min(perList, entries - made);
        playlists.rows.push_back({Int(list), QString("Playlist %1").arg(list), Int(count)});
        for (int seq = 1; seq <= count; ++seq, ++made) {
            entryTable.rows.push_back({Int(list), Int(seq), Int((made * 7919) % songs + 1), kNull, kNull});
        }
    }
    WriteTable(data + "plist.db", playlists);
    WriteTable(data + "songinpl.DB", entryTable);
    TableLayout albums = Layout(AlbumFields(), 1, {});
    for (int id = 0; id < groups; ++id) {
        albums.rows.push_back({Int(id), QString("Album %1").arg(id), QString("Artist %1").arg(id), kNull,
                               "2001", Int(10), Stamp(2010, 1, 1, 0, 0, 0)});
    }
    WriteTable(data + "album2.DB", albums);
}

}  // namespace sw::test
