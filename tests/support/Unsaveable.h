#pragma once

#include <QFile>
#include <QString>

namespace sw::test {

/// A file of the system in a folder where nobody, root included, can create a file: a link to it
/// makes every atomic save through that link fail, whatever the user running the tests.
inline constexpr char kUnsaveableTarget[] = "/proc/self/comm";
/// A name in the same folder that names no file, for a link that must look like no file at all.
inline constexpr char kUnsaveableMissingTarget[] = "/proc/self/no-such-file";

enum class LinkTarget { Existing, Missing };

/// Replaces `path` with a link to kUnsaveableTarget (or kUnsaveableMissingTarget). False when the
/// link cannot be made.
inline bool MakeUnsaveable(const QString& path, LinkTarget target = LinkTarget::Existing) {
    QFile::remove(path);
    return QFile::link(target == LinkTarget::Existing ? kUnsaveableTarget : kUnsaveableMissingTarget, path);
}

}  // namespace sw::test
