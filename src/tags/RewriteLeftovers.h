#pragma once

#include <QString>
#include <QStringList>

namespace sw {

/// Removes what rewrites killed half-way left behind in `folder`: hidden copies named as
/// CreateTemporaryBeside names them, regular files of the current user that no process holds
/// locked any more. A save in progress (of this or another process), a directory, a link, a file
/// of another user or a user's own file of a similar name are left alone. Returns the names
/// removed; a file that cannot be removed is passed over without a word.
QStringList RemoveRewriteLeftovers(const QString& folder);

/// The same for the leftovers of rewrites of one file only (its own name, not a link's target).
QStringList RemoveRewriteLeftoversOf(const QString& file);

}  // namespace sw
