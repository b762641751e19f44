#pragma once

#include <QString>
#include <memory>

#include "core/CoreSession.h"
#include "tags/GenreLookup.h"

namespace sw::swtool {

/// The data folder as swtool commands see it: its settings and, when it can be opened, its
/// catalogue, brought to the current layout as the jukebox would.
struct DataFolderSession {
    CoreSession core;
    bool catalogueOpen = false;
    /// The genre list: the catalogue's, else the data folder's GENRES.INI, else the shipped one.
    std::unique_ptr<GenreLookup> genres;
};

/// Reads the settings and opens the catalogue. With `needCatalogue` a catalogue that cannot be
/// opened is an error (thrown); otherwise the session goes on without one.
std::unique_ptr<DataFolderSession> OpenDataFolder(bool needCatalogue);

/// JSON text for a string value, quotes included.
QString JsonString(const QString& text);

}  // namespace sw::swtool
