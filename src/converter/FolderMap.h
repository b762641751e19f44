#pragma once

#include <QString>
#include <optional>
#include <vector>

namespace sw {

/// Where the folders of the stored paths live now: pairs of an old folder ("D:/Music") and the
/// folder that holds its files here ("/home/me/Music"). Old folders with a drive letter or a
/// network name ("//server/share") come from Windows and match without regard to letter case;
/// others match exactly. "\" is read as "/" on both sides.
class FolderMap {
public:
    struct Mapping {
        QString from;
        QString to;
    };

    /// Throws std::invalid_argument when the old folder is not absolute (a drive letter, "/" or
    /// "//") or the new one does not start with "/".
    void Add(const QString& from, const QString& to);
    /// An "OLD=NEW" text as the command line gives it; throws std::invalid_argument as Add does
    /// and when there is no "=".
    void AddPair(const QString& pair);

    bool IsEmpty() const { return m_mappings.empty(); }
    const std::vector<Mapping>& Mappings() const { return m_mappings; }

    /// The path moved to its new folder by the mapping with the longest old folder it lies in (the
    /// folder itself included, its trailing "/" kept); nullopt when none applies.
    std::optional<QString> Apply(const QString& path) const;

private:
    std::vector<Mapping> m_mappings;
};

/// A stored path that names its folder from the top: "/...", a drive letter ("D:/...", "d:\...")
/// or a network name ("//server/..."). Other stored names are relative to the music root.
bool IsAbsoluteStoredPath(const QString& path);

}  // namespace sw
