#pragma once
// The look of the game's small dialogs: teal background, white Arial text.

class QWidget;

void ApplyTealDialogLook(QWidget& dialog, int fontPixelSize);
