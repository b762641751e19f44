#pragma once

#include <QDialog>

#include "foundation/Placement.h"

class QLabel;
class QPushButton;

namespace sw {

/// The borderless "Please choose" box: a text, two named options and Cancel.
class ChoiceDialog : public QDialog {
    Q_OBJECT
public:
    explicit ChoiceDialog(QWidget* parent = nullptr);

    /// 1 or 2 for the option chosen, 0 for Cancel or Escape.
    int Ask(const QString& text, const QString& first, const QString& second);

private:
    QLabel* m_text;
    QPushButton* m_first;
    QPushButton* m_second;
    DialogAnchor m_anchor;
};

}  // namespace sw
