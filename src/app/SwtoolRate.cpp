// swtool rate SONGNUM VALUE: sets a song's rating, in its tags too when the settings say so.
#include <QTextStream>
#include <stdexcept>

#include "SwtoolCommands.h"
#include "SwtoolPlaylistSession.h"
#include "foundation/Dialogs.h"
#include "core/Ratings.h"
#include "tags/TagPolicy.h"

namespace sw::swtool {

int RunRate(const QStringList& arguments) {
    if (arguments.size() != 2) {
        throw std::invalid_argument("rate needs a song number and a rating");
    }
    const int songNum = IntegerArgument("the song number", arguments[0]);
    const int value = IntegerArgument("the rating", arguments[1]);
    if (!IsRating(value)) {
        throw std::invalid_argument("the rating must be from -2 to 4");
    }
    auto session = PlaylistSession::Open();
    CoreSession& core = session->Core();
    if (RefuseIfReadOnly(core.settings.READONLY)) {
        return 1;
    }
    TagPolicy policy(core.library, *session->Data().genres);
    core.library.tagWriter = &policy;
    TSong song;
    if (!core.library.songs.GetSongByNumber(songNum, song)) {
        return 1;
    }
    const int before = song.Rating;
    Ratings ratings(core.library);
    ratings.SetSongRating(song, value);
    core.catalogue.CommitAndContinue();
    // The rating is stored either way; a tag that could not take it makes the run a failure.
    const bool tagsWritten = policy.FinishPendingWrites();
    core.library.tagWriter = nullptr;
    core.catalogue.CloseCatalogue();

    QTextStream out(stdout);
    out << songNum << '\t' << before << '\t' << song.Rating << Qt::endl;
    return tagsWritten ? 0 : 1;
}

}  // namespace sw::swtool
