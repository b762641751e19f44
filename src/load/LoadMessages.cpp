#include "LoadMessages.h"

#include "foundation/Text.h"

namespace sw {

namespace {

// A message box stays readable; the rest is counted.
constexpr int kNamesShown = 10;

QString MoreText(qsizetype count) {
    return count > kNamesShown ? "\nand " + QString::number(count - kNamesShown) + " more" : QString();
}

}  // namespace

QString UnreadableFoldersText(const QStringList& folders) {
    QString text = "These folders could not be read and were left out:";
    for (int i = 0; i < folders.size() && i < kNamesShown; ++i) {
        text += "\n" + QuoteDouble(folders[i]);
    }
    return text + MoreText(folders.size());
}

QString NotCataloguedText(const std::vector<NotCatalogued>& files) {
    QStringList lines;
    for (std::size_t i = 0; i < files.size() && i < kNamesShown; ++i) {
        lines << QuoteDouble(files[i].name) + " could not be catalogued: " + files[i].reason;
    }
    return lines.join('\n') + (files.empty() ? QString() : MoreText(static_cast<qsizetype>(files.size())));
}

}  // namespace sw
