#pragma once

#include <QDialog>
#include <array>

#include "SearchController.h"

class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace sw {

/// The modal "Search" dialog over SearchController: the text box, the "Search for ..." buttons
/// and the scopes of a text search.
class SearchDialog : public QDialog, private SearchDisplay {
public:
    explicit SearchDialog(SearchController& controller, QWidget* parent = nullptr);
    ~SearchDialog() override;

    SearchController& Controller() { return m_controller; }
    QLineEdit* TextBox() const { return m_text; }
    QGroupBox* ScopeGroup() const { return m_scopes; }
    QRadioButton* SearchForButton(SearchFor searchFor) const;
    QRadioButton* PlaceButton(SearchPlace place) const;
    QPushButton* OkButton() const { return m_ok; }
    QPushButton* CancelButton() const { return m_cancel; }

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool RunSearchDialog() override;
    void CloseSearchDialog(bool ok) override;
    /// The widgets take the controller's text and choices.
    void ShowChoices();
    void FocusText();
    /// At the end of a file name, which is cut down from its end; any other text selected whole.
    void PlaceCaret();

    SearchController& m_controller;
    QLineEdit* m_text = nullptr;
    QGroupBox* m_scopes = nullptr;
    std::array<QRadioButton*, 4> m_searchFor{};
    std::array<QRadioButton*, 6> m_places{};
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    bool m_filling = false;
    bool m_caretPending = false;
};

}  // namespace sw
