#include "game/StatusPanel.h"

#include "game/DialogLook.h"

#include <QLabel>
#include <QPushButton>

namespace {

QLabel* MakeStatusLabel(QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setFont(ArialPixels(13));
    label->setStyleSheet(QStringLiteral("color: white; background: black;"));
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QPushButton* MakePanelButton(const QString& caption, QWidget* parent)
{
    auto* button = new QPushButton(caption, parent);
    button->setFont(ArialPixels(16));
    button->setFlat(true);
    button->setFocusPolicy(Qt::NoFocus); // keys belong to the fader bank
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet(
        QStringLiteral("QPushButton { color: white; background: black; border: none; }"
                       "QPushButton:pressed { background: #202020; }"
                       "QPushButton:disabled { color: #808080; }"));
    return button;
}

} // namespace

StatusPanel::StatusPanel(QWidget* parent) : QWidget(parent)
{
    setFixedHeight(HeightPx);
    setAutoFillBackground(true);
    setStyleSheet(QStringLiteral("background: black;"));
    Label1 = MakeStatusLabel(this);
    Label2 = MakeStatusLabel(this);
    Label3 = MakeStatusLabel(this);
    pStart = MakePanelButton(tr("START"), this);
    pNeu = MakePanelButton(tr("NEUES SPIEL"), this);
}

void StatusPanel::resizeEvent(QResizeEvent*)
{
    const int startLeft = width() - ButtonWidthPx;
    const int neuLeft = startLeft - ButtonWidthPx;
    pStart->setGeometry(startLeft, 0, ButtonWidthPx, HeightPx);
    pNeu->setGeometry(neuLeft, 0, ButtonWidthPx, HeightPx);
    const int labelWidth = std::max(0, neuLeft - 14);
    const int labelHeight = 20;
    Label1->setGeometry(14, 10, labelWidth, labelHeight);
    Label2->setGeometry(14, 39, labelWidth, labelHeight);
    Label3->setGeometry(14, 68, labelWidth, labelHeight);
}
