#pragma once

#include <QString>

#include "windows/songs/SongListRequest.h"

namespace sw {

class Library;

/// What the search controller asks of its dialog.
class SearchDisplay {
public:
    virtual ~SearchDisplay() = default;
    /// Shows the dialog modally over the controller's text and choices until CloseSearchDialog;
    /// true when it was closed with OK.
    virtual bool RunSearchDialog() = 0;
    virtual void CloseSearchDialog(bool ok) = 0;
};

/// "Search for text" anywhere, as the main window's "Search" opens the dialog.
void PresetSearchAnywhere(SearchOptions& options);
/// "Search for text" just in the song title.
void PresetSearchTitle(SearchOptions& options);

/// The "Search" dialog without widgets: the text kept from one search to the next, the choices of
/// the options it is handed (the songs window owns them), and the rules of its "OK".
class SearchController {
public:
    SearchController() = default;
    SearchController(const SearchController&) = delete;
    SearchController& operator=(const SearchController&) = delete;

    void SetDisplay(SearchDisplay* display) { m_display = display; }
    /// The catalogue that album and artist ids are looked up in before the dialog closes; without
    /// it any id is taken.
    void SetLibrary(Library* library) { m_library = library; }

    /// Runs the dialog on `options`, which keep what the user chose. A `text` that is not empty
    /// replaces the box's text. True on OK, with `text` as typed; false with `text` empty.
    bool AskSearch(SearchOptions& options, QString& text);

    // While the dialog is on show.
    const QString& Text() const { return m_text; }
    void SetText(const QString& text) { m_text = text; }
    const SearchOptions& Options() const { return m_options; }
    /// A "Search for ..." button.
    void ChooseSearchFor(SearchFor searchFor) { m_options.searchFor = searchFor; }
    /// A scope button.
    void ChoosePlace(SearchPlace place) { m_options.place = place; }
    /// The scopes are shown for a text search only.
    bool ScopeVisible() const { return m_options.searchFor == SearchFor::Text; }
    /// On showing, the caret goes to the end of a file name (kept whole to be cut down); any
    /// other text is selected so that typing replaces it.
    bool CaretAtEnd() const { return m_options.place == SearchPlace::FileName; }
    /// The number a number search asked for; -1 for a text search or before "OK".
    int SearchNumber() const { return m_searchNumber; }

    /// "OK": nothing while the text is empty; a number search needs an integer, and an album or
    /// artist id one that the catalogue holds (0, no album or no artist, included).
    void Ok();
    void Cancel();

private:
    /// False, after saying so, when the album or artist the id names is not in the catalogue.
    bool IdFound(int id) const;

    SearchDisplay* m_display = nullptr;
    Library* m_library = nullptr;
    QString m_text;
    SearchOptions m_options;
    int m_searchNumber = -1;
};

}  // namespace sw
