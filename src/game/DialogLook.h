#pragma once
// The look of the game's windows: Arial in pixel sizes, and the teal
// background with white text of the small dialogs.

#include <QFont>

class QWidget;

QFont ArialPixels(int pixelSize, bool italic = false);

void ApplyTealDialogLook(QWidget& dialog, int fontPixelSize);
