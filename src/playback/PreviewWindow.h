#pragma once

#include <QMainWindow>

class QLabel;

namespace sw {

class PreviewController;

/// The "Preview" window: the previewed song's file name, Stop (which ends the preview and closes
/// the window) and Close (which leaves it playing).
class PreviewWindow : public QMainWindow {
public:
    explicit PreviewWindow(QWidget* parent = nullptr);

    /// Stop works once the preview controller exists (it comes with the audio engine).
    void SetPreview(PreviewController* preview) { m_preview = preview; }
    /// Shows the window with the controller's top line.
    void ShowPreview();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    PreviewController* m_preview = nullptr;
    QLabel* m_topLine = nullptr;
};

}  // namespace sw
