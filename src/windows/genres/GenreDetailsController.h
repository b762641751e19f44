#pragma once

#include <QString>

namespace sw {

class Catalogue;
struct Settings;

/// Where the "Genre details" dialog runs.
class GenreDetailsDisplay {
public:
    virtual ~GenreDetailsDisplay() = default;
    /// Shows the dialog modally over the controller's boxes until it closes; "Save" hands the boxes
    /// back and calls Save, which decides whether it closes. True when it closed after a save.
    virtual bool RunGenreDetails() = 0;
};

/// The "Genre details" dialog without its widgets: a new genre or an existing one, the questions
/// a rename asks and the one statement that writes the row once every question was answered.
class GenreDetailsController {
public:
    enum class Mode { NewRow, ExistingRow };

    /// The lowest and highest genre ids a row may have. The highest is the songs' mark for "no
    /// genre" (kNoGenre): a genre under it would be the genre of every song without one, so it is
    /// never offered nor taken.
    static constexpr int kFirstGenreId = 0;
    static constexpr int kLastGenreId = 255;
    static constexpr int kLastFreeGenreId = kLastGenreId - 1;

    GenreDetailsController(Catalogue& catalogue, const Settings& settings);
    GenreDetailsController(const GenreDetailsController&) = delete;
    GenreDetailsController& operator=(const GenreDetailsController&) = delete;

    void SetDisplay(GenreDetailsDisplay* display) { m_display = display; }

    /// A free id for a new genre, or the id of a row without a name to reuse (mode existing); -1
    /// when every id is taken.
    int FindFreeGenreId();
    /// The dialog on a free id: the id saved, 0 when nothing was saved, -1 when no id was free.
    int NewGenre();
    /// The dialog on that genre; true when it was saved. An id that is not in the table does nothing.
    bool EditGenre(int id);
    /// After the question, the row goes; songs keep their genre id. True when a row was deleted.
    bool DeleteGenre(int id);

    // The dialog's boxes.
    const QString& IdText() const { return m_idText; }
    void SetIdText(const QString& text) { m_idText = text; }
    const QString& Name() const { return m_name; }
    void SetName(const QString& name) { m_name = name; }
    bool Dormant() const { return m_dormant; }
    void SetDormant(bool dormant) { m_dormant = dormant; }

    Mode CurrentMode() const { return m_mode; }
    const QString& FormerName() const { return m_formerName; }
    int SavedId() const { return m_savedId; }
    /// Whether the last showing of the dialog ended with a save.
    bool Saved() const { return m_saved; }

    /// "Save": true when the genre was written and the dialog closes; false keeps it open (a bad
    /// id, an id taken or reserved, or a rename question declined) and stores nothing. A genre
    /// given another id takes its songs along, in the same transaction.
    bool Save();

private:
    bool RunDialog();
    /// The id box as a genre id, or a message and false.
    bool ReadIdBox(int& id) const;
    /// True, after saying so, when the id is the "no genre" mark and the row does not already have it.
    bool IdReserved(int id) const;
    /// Every question a rename to the box's name under that id asks; true when all were answered Yes.
    bool RenameAgreed(int id) const;
    bool GenreExists(int id) const;

    Catalogue& m_catalogue;
    const Settings& m_settings;
    GenreDetailsDisplay* m_display = nullptr;
    Mode m_mode = Mode::NewRow;
    /// The id of the row an existing-row save changes.
    int m_rowId = -1;
    QString m_idText;
    QString m_name;
    bool m_dormant = false;
    QString m_formerName;
    int m_savedId = 0;
    bool m_saved = false;
};

}  // namespace sw
