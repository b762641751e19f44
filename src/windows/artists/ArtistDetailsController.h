#pragma once

#include <QString>
#include <functional>

namespace sw {

class Library;

/// What the artist details controller tells its window.
class ArtistDetailsDisplay {
public:
    virtual ~ArtistDetailsDisplay() = default;
    /// Shows the window in front, restored when minimised.
    virtual void ShowDetailsWindow() = 0;
    /// The lines or the state of "Rename" changed.
    virtual void DetailsChanged() = 0;
};

/// The artist details window without its widgets: one artist by id, its name, and its rename.
class ArtistDetailsController {
public:
    explicit ArtistDetailsController(Library& library);
    ArtistDetailsController(const ArtistDetailsController&) = delete;
    ArtistDetailsController& operator=(const ArtistDetailsController&) = delete;

    void SetDisplay(ArtistDetailsDisplay* display) { m_display = display; }
    /// Called after the window renamed an artist (or merged it into `artistId`), so that lists
    /// showing it can be read again; empty until connected.
    void SetRenamed(std::function<void(int artistId)> renamed) { m_renamed = std::move(renamed); }

    /// Fills the window for the artist and shows it. Id 0 (no artist) counts as found, with an
    /// empty name.
    void ShowArtistDetails(int artistId);

    int ArtistId() const { return m_artistId; }
    /// "Id " and the id.
    QString IdLine() const;
    /// The stored name, or " not found ".
    QString NameLine() const { return m_found ? m_name : QString(" not found "); }
    bool Found() const { return m_found; }
    bool RenameEnabled() const { return m_found; }

    /// "Rename": read-only guard, the rename (or merge), then the window filled again.
    void Rename();

private:
    void Fill(int artistId);

    Library& m_library;
    ArtistDetailsDisplay* m_display = nullptr;
    std::function<void(int)> m_renamed;
    int m_artistId = 0;
    QString m_name;
    bool m_found = false;
};

}  // namespace sw
