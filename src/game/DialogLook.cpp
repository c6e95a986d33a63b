#include "game/DialogLook.h"

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QWidget>

void ApplyTealDialogLook(QWidget& dialog, int fontPixelSize)
{
    QPalette colours = dialog.palette();
    colours.setColor(QPalette::Window, QColor(0, 128, 128));
    colours.setColor(QPalette::WindowText, Qt::white);
    dialog.setPalette(colours);
    dialog.setAutoFillBackground(true);
    QFont arial(QStringLiteral("Arial"));
    arial.setPixelSize(fontPixelSize);
    dialog.setFont(arial);
}
