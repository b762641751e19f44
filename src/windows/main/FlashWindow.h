#pragma once

#include <QTimer>
#include <QWidget>

class QLabel;

namespace sw {

/// The borderless aqua notice near the mouse that disappears by itself.
class FlashWindow : public QWidget {
    Q_OBJECT
public:
    explicit FlashWindow(QWidget* parent = nullptr);

    bool OnShow() const { return m_timer.isActive(); }
    /// Shows `text` (the stacked messages) for `milliseconds`.
    void Display(const QString& text, int milliseconds);
    void Hide();
    /// Lets events run until the message on show has gone.
    void WaitUntilGone();

private:
    QLabel* m_label;
    QTimer m_timer;
};

}  // namespace sw
