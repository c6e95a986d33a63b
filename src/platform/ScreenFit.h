#pragma once
// Big windows sized to the screen they open on: at most the size they want,
// never larger than that screen's free area with the window manager's frame
// around them, and placed over their parent inside that area.

#include <QSize>

class QWidget;

// Before `window` is shown its frame is not known: room is kept for a usual
// one, and a larger frame is made up for once the window is framed.
// Thread: GUI.
void FitToScreen(QWidget& window, QSize wantedSize);
