#include "platform/ScreenFit.h"

#include <QEvent>
#include <QRect>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QWidget>
#include <algorithm>

namespace {

// The frame's share of a shown window's outer size, (0, 0) when the window
// manager has not said yet or draws none.
QSize FrameSize(const QWidget* window)
{
    if (!window || !window->isVisible())
        return {0, 0};
    return (window->frameGeometry().size() - window->geometry().size()).expandedTo({0, 0});
}

int Clamped(int start, int length, int areaStart, int areaLength)
{
    return std::clamp(start, areaStart, std::max(areaStart, areaStart + areaLength - length));
}

void Place(QWidget& window, QSize wantedSize, QSize frame)
{
    const QWidget* parent = window.parentWidget() ? window.parentWidget()->window() : nullptr;
    const QScreen* screen = parent ? parent->screen() : window.screen();
    if (!screen) {
        window.resize(wantedSize);
        return;
    }
    const QRect area = screen->availableGeometry();
    const QSize size = wantedSize.boundedTo(area.size() - frame);
    window.resize(size);
    QRect outer(QPoint(), size + frame);
    outer.moveCenter(parent ? parent->frameGeometry().center() : area.center());
    window.move(Clamped(outer.left(), outer.width(), area.left(), area.width()),
                Clamped(outer.top(), outer.height(), area.top(), area.height()));
}

// Once the window manager has framed the shown window, a frame larger than
// the room kept for it is made up for.
class FrameWatch final : public QObject {
  public:
    FrameWatch(QWidget& window, QSize wantedSize, QSize frameKept)
        : QObject(&window), window_(window), wantedSize_(wantedSize), frameKept_(frameKept)
    {
        window.installEventFilter(this);
    }

    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Show)
            QTimer::singleShot(FramedAfterMs, this, [this] {
                const QSize frame = FrameSize(&window_);
                if (frame.width() > frameKept_.width() || frame.height() > frameKept_.height())
                    Place(window_, window_.size().boundedTo(wantedSize_), frame);
                deleteLater();
            });
        return false;
    }

  private:
    static constexpr int FramedAfterMs = 200;
    QWidget& window_;
    QSize wantedSize_;
    QSize frameKept_;
};

} // namespace

void FitToScreen(QWidget& window, QSize wantedSize)
{
    QSize frame = FrameSize(&window);
    if (frame.isNull()) {
        // Not framed yet: room for a title bar and thin borders.
        const int titleHeight = window.style()->pixelMetric(QStyle::PM_TitleBarHeight);
        frame = QSize(8, titleHeight + 8);
        new FrameWatch(window, wantedSize, frame);
    }
    Place(window, wantedSize, frame);
}
