#include "NotepadCopy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "core/Paths.h"
#include "foundation/Dialogs.h"
#include "foundation/Files.h"
#include "foundation/Text.h"
#include "tags/TagText.h"

namespace sw {

namespace {

constexpr char kNotepadFile[] = "NPAD.TXT";

/// Writes the copy, asking to retry while that fails; false when the user gives up.
bool WriteCopy(const QString& target, const QByteArray& content) {
    for (;;) {
        try {
            WriteFileAtomically(target, content);
            return true;
        } catch (const std::exception&) {
            if (!Confirm("file open error " + QuoteDouble(target) + " - retry?")) {
                return false;
            }
        }
    }
}

}  // namespace

QString CopyNotepad(const QString& legacyFolder, const QString& converterFolder) {
    const QString source = ExistingSpelling(legacyFolder + kNotepadFile);
    const QString target = converterFolder + kNotepadFile;
    if (!QFileInfo(source).isFile() || QFileInfo::exists(ExistingSpelling(target))) {
        return {};
    }
    if (!QFileInfo::exists(converterFolder)) {
        ShowInfo("Making directory " + QuoteDouble(converterFolder));
        QDir().mkpath(converterFolder);
    }
    QFile file(source);
    if (!file.open(QIODevice::ReadOnly)) {
        return "Problem copying NPAD.TXT";
    }
    const QByteArray content = DecodeWindows1252(file.readAll()).toUtf8();
    if (file.error() != QFileDevice::NoError || !WriteCopy(target, content)) {
        return "Problem copying NPAD.TXT";
    }
    QFile copy(target);
    if (copy.open(QIODevice::ReadWrite)) {
        copy.setFileTime(QFileInfo(source).lastModified(), QFileDevice::FileModificationTime);
    }
    return "NPAD.TXT copied";
}

}  // namespace sw
