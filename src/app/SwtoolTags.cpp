// swtool tags [--unicode] FILE...: what the tag reader makes of each file, one JSON object per line.
// FLAC and Opus files are read whatever the settings say; --unicode reads Unicode ID3v2 tags for
// this run as the "Read and write Unicode tags" switch would, without changing the settings file.
#include <QTextStream>

#include "SwtoolCommands.h"
#include "SwtoolSession.h"
#include "tags/GenreLookup.h"
#include "tags/TagPolicy.h"
#include "tags/TagSwitches.h"

namespace sw::swtool {

namespace {

QString Field(const char* name, const QString& value) {
    return QString("\"%1\":%2").arg(name, JsonString(value));
}

QString Field(const char* name, int value) {
    return QString("\"%1\":%2").arg(name).arg(value);
}

QString Field(const char* name, bool value) {
    return QString("\"%1\":%2").arg(name, value ? "true" : "false");
}

}  // namespace

int RunTags(const QStringList& arguments) {
    QStringList files;
    QList<bool Settings::*> switchedOn;
    for (const QString& argument : arguments) {
        const TagSwitch* option = nullptr;
        for (const TagSwitch& entry : TagSwitches()) {
            if (entry.SwtoolOption != nullptr && argument == entry.SwtoolOption) {
                option = &entry;
            }
        }
        if (option != nullptr) {
            switchedOn << option->Setting;
        } else if (argument.startsWith("--") && files.isEmpty()) {
            throw std::invalid_argument(("unexpected argument " + argument).toStdString());
        } else {
            files << argument;
        }
    }
    if (files.isEmpty()) {
        throw std::invalid_argument("tags needs at least one file");
    }
    auto session = OpenDataFolder(false);
    // For this run only: the session never writes its settings back.
    for (bool Settings::*setting : switchedOn) {
        session->core.library.settings.*setting = true;
    }
    TagPolicy policy(session->core.library, *session->genres);
    QTextStream out(stdout);
    bool allRead = true;
    for (const QString& path : files) {
        TSong song;
        QString error;
        policy.unicodeTagsIgnored = false;
        policy.State().LastTagExtras = {};
        bool read = false;
        try {
            read = policy.ReadSongFromFile(path, song, ResolveMode::None);
            if (!read) {
                error = song.TagSource == kTagNoFile ? "file not found"
                                                     : "not an audio file this program handles";
            }
        } catch (const std::exception& failure) {
            error = QString::fromUtf8(failure.what());
        }
        allRead = allRead && read;
        const TLastTagExtras& extras = policy.State().LastTagExtras;
        QStringList fields = {
            Field("path", path),
            Field("fileType", song.FileType),
            Field("tagSource", song.TagSource),
            Field("title", song.Title),
            Field("artist", song.ArtistName),
            Field("album", song.AlbumName),
            Field("year", song.Year),
            Field("comment", song.Comment),
            Field("track", static_cast<int>(song.Track)),
            Field("genreId", static_cast<int>(song.GenreId)),
            Field("genreName", song.GenreName),
            Field("rating", song.Rating),
            Field("composer", extras.Composer),
            Field("encoder", extras.Encoder),
            Field("copyright", extras.Copyright),
            Field("language", extras.Language),
            Field("link", extras.Link),
            Field("vendor", extras.Vendor),
            Field("unicodeIgnored", policy.unicodeTagsIgnored),
        };
        if (!error.isEmpty()) {
            fields << Field("error", error);
        }
        out << "{" << fields.join(",") << "}" << Qt::endl;
    }
    return allRead ? 0 : 1;
}

}  // namespace sw::swtool
