#pragma once

namespace sw {

/// Where the core start-up shows what it found (the main window's summary panel).
class CatalogueDisplay {
public:
    virtual ~CatalogueDisplay() = default;
    /// Database name, file, root folder and the read-only notice.
    virtual void ShowCatalogueLabels() = 0;
    virtual void ShowCatalogueVersion() = 0;
    /// The jukebox size values and their caption.
    virtual void ShowJukeboxSize() = 0;
};

}  // namespace sw
