#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;

namespace sw {

class DialogAnchor;

/// The borderless one-line input box for texts and numbers.
class InputDialog : public QDialog {
    Q_OBJECT
public:
    /// Opens where the message boxes would open, reading `anchor` without changing it.
    InputDialog(const DialogAnchor& anchor, QWidget* parent = nullptr);

    /// True on OK, with `value` holding the edited text; `maxLength` 0 for no limit. The limit
    /// counts characters as the catalogue's columns do (a pair of UTF-16 surrogates is one), and
    /// text beyond it, typed, pasted or handed in, is cut with a notice in the box.
    bool Ask(const QString& prompt, QString& value, int maxLength, const QString& hint);

private:
    void KeepWithinLimit(const QString& text);

    const DialogAnchor& m_anchor;
    QLabel* m_prompt;
    QLabel* m_hint;
    QLineEdit* m_edit;
    QLabel* m_cut;
    int m_limit = 0;
};

}  // namespace sw
