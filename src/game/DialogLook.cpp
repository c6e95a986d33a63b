#include "game/DialogLook.h"

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QWidget>

QFont ArialPixels(int pixelSize, bool italic)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixelSize);
    font.setItalic(italic);
    return font;
}

void ApplyTealDialogLook(QWidget& dialog, int fontPixelSize)
{
    QPalette colours = dialog.palette();
    colours.setColor(QPalette::Window, QColor(0, 128, 128));
    colours.setColor(QPalette::WindowText, Qt::white);
    dialog.setPalette(colours);
    dialog.setAutoFillBackground(true);
    dialog.setFont(ArialPixels(fontPixelSize));
}
