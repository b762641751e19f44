#pragma once

#include <QString>

namespace sw {

/// Carries the previous edition's notepad text ("NPAD.TXT" in its folder, Windows-1252) over to the
/// converter's folder as UTF-8, with the old file's modification time, unless that folder has a
/// notepad text of its own. Asks whether to retry while the copy cannot be written. Returns the
/// log line ("NPAD.TXT copied" or "Problem copying NPAD.TXT"), or an empty text when there was
/// nothing to copy.
QString CopyNotepad(const QString& legacyFolder, const QString& converterFolder);

}  // namespace sw
