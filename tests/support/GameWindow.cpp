#include "support/GameWindow.h"

#include "game/FaderView.h"
#include "game/MainMenu.h"
#include "game/StatusPanel.h"
#include "game/TrainingMenu.h"
#include "journal/ConfusionView.h"
#include "journal/LearningCurveView.h"
#include "session/MidiBridge.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

namespace {

// The one visible child of its kind; a window closed but not yet deleted
// does not count.
template <typename T> T* OpenChild(const QObject& parent)
{
    for (T* child : parent.findChildren<T*>())
        if (child->isVisible())
            return child;
    return nullptr;
}

} // namespace

FaderView* GameWindow::Fader() const
{
    return form.findChild<FaderView*>();
}

const FaderRenderer& GameWindow::Renderer() const
{
    return Fader()->Renderer();
}

StatusPanel* GameWindow::Panel1() const
{
    return form.findChild<StatusPanel*>();
}

QLabel* GameWindow::Panel2() const
{
    return form.findChild<QLabel*>(QStringLiteral("Panel2"));
}

MainMenu* GameWindow::Menu() const
{
    return form.findChild<MainMenu*>();
}

TrainingMenu* GameWindow::Training() const
{
    return form.findChild<TrainingMenu*>();
}

MidiBridge& GameWindow::Midi() const
{
    return *form.findChild<MidiBridge*>();
}

ConfusionView* GameWindow::OpenConfusions() const
{
    return OpenChild<ConfusionView>(form);
}

LearningCurveView* GameWindow::OpenLearningCurve() const
{
    return OpenChild<LearningCurveView>(form);
}

QImage ScreenPictureOfFader(const GameWindow& form)
{
    const FaderView* fader = form.Fader();
    const qreal ratio = fader->devicePixelRatioF();
    const QPoint logical = fader->mapToGlobal(QPoint(0, 0));
    const QRect device(QPoint(qRound(logical.x() * ratio), qRound(logical.y() * ratio)),
                       fader->DeviceSize());
    return QGuiApplication::primaryScreen()->grabWindow(0).toImage().copy(device);
}
