#pragma once

#include <QString>
#include <QStringList>

namespace sw {

/// The places the folder pickers offer instead of drive letters: "/", the home folder, then the
/// mount points under /media, /mnt and /run/media/<user> as `mounts` (the text of /proc/self/mounts)
/// lists them, in alphabetical order. No place ends with "/" except the root itself.
QStringList PlacesFromMounts(const QString& mounts, const QString& home, const QString& user);
/// The places of this machine now.
QStringList CurrentPlaces();
/// The place that `folder` lies in: the longest place that is the folder or one of its ancestors.
QString PlaceOf(const QString& folder, const QStringList& places);

}  // namespace sw
