#pragma once

#include <QWidget>

class QLabel;

namespace sw {

class BpmTapper;

/// The "Beats per minute" window: every key (but Escape) and every mouse press on it is a tap.
class BpmWindow : public QWidget {
public:
    explicit BpmWindow(BpmTapper& tapper, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Tap();

    BpmTapper& m_tapper;
    QLabel* m_result = nullptr;
};

}  // namespace sw
