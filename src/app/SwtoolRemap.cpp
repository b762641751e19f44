// swtool remap OLD NEW: moves the stored paths of a catalogue converted before to the folder that
// holds the files now: every full SONG.FN in OLD, and Root when it lies in OLD, in one transaction.
// Prints how many songs moved and how many of their files exist.
#include <QFileInfo>
#include <QTextStream>
#include <stdexcept>

#include "SwtoolCommands.h"
#include "SwtoolPlaylistSession.h"
#include "converter/FolderMap.h"
#include "core/Firebird.h"
#include "core/SongPaths.h"
#include "foundation/Text.h"

namespace sw::swtool {

int RunRemap(const QStringList& arguments) {
    if (arguments.size() != 2) {
        throw std::invalid_argument("remap needs the old folder and the new one");
    }
    FolderMap folders;
    folders.Add(arguments[0], arguments[1]);
    auto session = PlaylistSession::Open();
    CoreSession& core = session->Core();
    if (RefuseIfReadOnly(core.settings.READONLY)) {
        return 1;
    }
    const auto newRoot = folders.Apply(core.settings.Root);
    const QString root = newRoot ? *newRoot : core.settings.Root;

    Catalogue& catalogue = core.catalogue;
    catalogue.CommitAndContinue();
    const RowSet songs = catalogue.Select("select songnum, fn from song where fn is not null");
    auto update = catalogue.Prepare("update song set fn = ? where songnum = ? and fn = ?");
    int renamed = 0;
    int moved = 0;
    int found = 0;
    try {
        for (int row = 0; row < songs.RowCount(); ++row) {
            const QString name = songs.Value(row, 1).toString();
            QString now = name;
            if (IsAbsoluteStoredPath(name)) {
                const auto mapped = folders.Apply(name);
                if (!mapped) {
                    continue;
                }
                now = *mapped;
                update->SetText(0, now);
                update->SetInteger(1, songs.Value(row, 0).toLongLong());
                update->SetText(2, name);
                update->Execute();
                ++renamed;
            } else if (!newRoot) {
                continue;  // relative names move only with the root
            }
            ++moved;
            if (QFileInfo(MakeFullPath(now, root)).isFile()) {
                ++found;
            }
        }
        catalogue.CommitAndContinue();
    } catch (...) {
        catalogue.Rollback();
        throw;
    }
    bool saved = true;
    if (newRoot) {
        core.settings.Root = *newRoot;
        AddTrailingBackslash(core.settings.Root);
        saved = SaveSettings(core);
    }
    catalogue.CloseCatalogue();

    QTextStream out(stdout);
    out << "remapped=" << moved << " exist=" << found << " names_rewritten=" << renamed
        << " root=" << (newRoot ? core.settings.Root : QString("unchanged")) << Qt::endl;
    return saved ? 0 : 1;
}

}  // namespace sw::swtool
