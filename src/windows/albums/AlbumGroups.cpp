#include "AlbumGroups.h"

#include <set>

#include "core/Albums.h"
#include "core/Catalogue.h"
#include "core/Library.h"
#include "foundation/Dialogs.h"
#include "foundation/Text.h"

namespace sw {

QString GroupLinkRefusal(AlbumStore& albums, const TAlbum& item, const TAlbum& group) {
    if (item.AlbumName.isEmpty()) {
        return "Linkto blank";
    }
    if (group.AlbumName.isEmpty()) {
        return "Linkfrom blank";
    }
    if (item.AlbumId == group.AlbumId) {
        return "Cannot include a Group in itself";
    }
    // A chain that already loops (written by an older program) ends the walk instead of hanging it.
    std::set<int> seen;
    int id = group.AlbumId;
    TAlbum parent;
    while (id > 0 && seen.insert(id).second) {
        if (id == item.AlbumId) {
            return "Cannot include a Group in one of its own members";
        }
        if (!albums.FindAlbumById(id, parent)) {
            break;
        }
        id = parent.GrpId;
    }
    return {};
}

void SetAlbumGroup(Catalogue& catalogue, int itemId, int groupId) {
    catalogue.ExecSqlCommit("UPDATE album SET grpid = " + QString::number(groupId) +
                            " WHERE albumid = " + QString::number(itemId));
}

int CountGroupMembers(Catalogue& catalogue, int groupId) {
    catalogue.RunQuery("select count(*) as ct from album where grpid = " + QString::number(groupId));
    return catalogue.QueryInt("ct");
}

bool CreateAlbumGroup(Library& library, QString name, QString artist, TAlbum& group) {
    TrimTrailingBlanks(name);
    if (name.isEmpty()) {
        ShowInfo(kBlankGroupName);
        return false;
    }
    TrimTrailingBlanks(artist);
    ClearAlbum(group);
    group.AlbumName = name;
    group.AlOrGrp = 'G';
    group.ArtistId = library.artists.FindOrCreateArtist(artist);
    library.albums.WriteAlbum(group);
    library.catalogue.CommitAndContinue();
    return group.AlbumId > 0;
}

}  // namespace sw
