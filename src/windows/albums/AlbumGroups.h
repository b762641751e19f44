#pragma once

#include <QString>

#include "core/Albums.h"

namespace sw {

class AlbumStore;
class Catalogue;
class Library;
struct TAlbum;

/// Why `item` cannot go into `group` ("Linkto blank", "Linkfrom blank", a group in itself or in
/// one of its own members); empty when it can. A group inside its own member would hide both from
/// the top level, so the group's chain of parents is walked up from `group`.
QString GroupLinkRefusal(AlbumStore& albums, const TAlbum& item, const TAlbum& group);

/// Moves the album or group into the group (0: into none) and commits.
void SetAlbumGroup(Catalogue& catalogue, int itemId, int groupId);

/// The rows whose group is `groupId`, whatever any list's filters hide.
int CountGroupMembers(Catalogue& catalogue, int groupId);

/// The "New Album Group" dialog's OK: a new top-level group of that name and artist (a blank artist
/// gives none), committed. A blank name is refused with a message and writes nothing.
bool CreateAlbumGroup(Library& library, QString name, QString artist, TAlbum& group);

}  // namespace sw
