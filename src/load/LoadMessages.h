#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace sw {

/// A file a load left out, and why ("path too long").
struct NotCatalogued {
    QString name;
    QString reason;
};

/// Why a file whose name is not valid UTF-8 was left out; its name is shown escaped.
inline constexpr char kNameNotUtf8[] = "name is not valid UTF-8";

/// "These folders could not be read and were left out:" followed by the first folders.
QString UnreadableFoldersText(const QStringList& folders);
/// One line per file: its name in double quotes, " could not be catalogued: " and the reason;
/// the first files only, then how many more. Empty for no file.
QString NotCataloguedText(const std::vector<NotCatalogued>& files);

}  // namespace sw
