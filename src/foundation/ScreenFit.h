#pragma once

#include <QRect>
#include <QSize>
#include <vector>

namespace sw {

/// The screen a window frame belongs to: the one it overlaps most, else the nearest one (by the
/// gap between the frame and the screen). -1 when there are no screens.
int NearestScreen(const QRect& frame, const std::vector<QRect>& screens);

/// A window frame a person can reach: left as it is when it lies whole on one screen, otherwise
/// moved whole onto its nearest screen and shrunk to that screen's size when larger. `screens` are
/// the screens' available geometries in desktop coordinates; with none the frame stays as it is.
QRect KeepFrameOnScreens(const QRect& frame, const std::vector<QRect>& screens);

/// Where the `index`-th window (from 0) opened without a saved place goes: beside the main window's
/// frame, so that the main window stays in sight, on the screen that holds the main window. It goes
/// below the main window, else to its right, else to its left, each step of the cascade a little
/// further down and right; when the screen has room on no side, it cascades over the main window
/// from just below its title bar, kept whole on the screen.
QRect CascadeFrame(const QRect& mainFrame, QSize frame, int index, const std::vector<QRect>& screens);

}  // namespace sw
