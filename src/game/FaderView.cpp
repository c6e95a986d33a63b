#include "game/FaderView.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <cmath>

FaderView::FaderView(QWidget* parent) : QWidget(parent)
{
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    InstallFaderAccessibility();
}

void FaderView::Show(const FaderRenderer& renderer, const GameState& state)
{
    renderer_ = &renderer;
    state_ = &state;
    shown_ = FaderPictureContent();
    update();
}

QRegion FaderView::Refresh()
{
    if (renderer_ == nullptr)
        return {};
    const FaderPictureContent now = renderer_->Content(*state_);
    QRegion changed = ToLogical(renderer_->RepaintArea(shown_, now));
    shown_ = now;
    if (!changed.isEmpty())
        update(changed);
    announcer_.Announce(*this, *state_);
    return changed;
}

bool FaderView::ShowsFaders() const
{
    return renderer_ != nullptr && !renderer_->CoverShown && IsFaderMode(state_->GameMode);
}

QRect FaderView::FaderArea(int fader) const
{
    if (renderer_ == nullptr)
        return {};
    // The volume fader is drawn in column 30, band fader i in column i + 1.
    const FaderGeometry& geometry = renderer_->Geometry();
    const int column = fader == VolumeFader ? 30 : fader + 1;
    const QRect device(column * geometry.ColumnWidth, geometry.TrackTop, geometry.ColumnWidth,
                       geometry.TrackHeight);
    const qreal ratio = renderer_->DevicePixelRatio();
    return QRectF(device.x() / ratio, device.y() / ratio, device.width() / ratio,
                  device.height() / ratio)
        .toAlignedRect();
}

QSize FaderView::DeviceSize() const
{
    const qreal ratio = devicePixelRatioF();
    return QSize(qRound(width() * ratio), qRound(height() * ratio));
}

QRegion FaderView::ToLogical(const QRegion& devicePixels) const
{
    const qreal ratio = renderer_->DevicePixelRatio();
    if (ratio == 1.0)
        return devicePixels.intersected(rect());
    QRegion logical;
    for (const QRect& r : devicePixels) {
        const int left = static_cast<int>(std::floor(r.left() / ratio)) - 1;
        const int top = static_cast<int>(std::floor(r.top() / ratio)) - 1;
        const int right = static_cast<int>(std::ceil((r.right() + 1) / ratio)) + 1;
        const int bottom = static_cast<int>(std::ceil((r.bottom() + 1) / ratio)) + 1;
        logical += QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
    }
    return logical.intersected(rect());
}

QRegion FaderView::ToDevicePixels(const QRegion& logical) const
{
    const qreal ratio = renderer_->DevicePixelRatio();
    if (ratio == 1.0)
        return logical;
    QRegion device;
    for (const QRect& r : logical) {
        const int left = static_cast<int>(std::floor(r.left() * ratio)) - 2;
        const int top = static_cast<int>(std::floor(r.top() * ratio)) - 2;
        const int right = static_cast<int>(std::ceil((r.right() + 1) * ratio)) + 2;
        const int bottom = static_cast<int>(std::ceil((r.bottom() + 1) * ratio)) + 2;
        device += QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
    }
    return device;
}

void FaderView::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    if (renderer_ == nullptr || renderer_->PaintBoxSize().isEmpty()) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    // A change that no repaint announced yet is painted here already; the
    // rest of it must follow, or a later change back would leave it behind.
    const FaderPictureContent now = renderer_->Content(*state_);
    if (!(now == shown_)) {
        update(ToLogical(renderer_->ChangedArea(shown_, now)));
        shown_ = now;
    }
    // Draw in the picture's device pixels: undo the ratio and put the origin
    // on a whole pixel, as the window system places the widget.
    const QTransform device = painter.deviceTransform();
    const qreal ratio = device.m11() > 0 ? device.m11() : 1.0;
    const qreal snapX = qRound(device.dx()) - device.dx();
    const qreal snapY = qRound(device.dy()) - device.dy();
    painter.setWorldTransform(QTransform(1 / ratio, 0, 0, 1 / ratio, snapX / ratio, snapY / ratio));
    renderer_->Paint(painter, ToDevicePixels(event->region()), *state_);
}

void FaderView::resizeEvent(QResizeEvent*)
{
    emit resized();
}

void FaderView::mousePressEvent(QMouseEvent* event)
{
    emit mousePressed(event->buttons(), ToDevice(event->position()));
}

void FaderView::mouseMoveEvent(QMouseEvent* event)
{
    emit mouseMoved(event->buttons(), ToDevice(event->position()));
}

QPoint FaderView::ToDevice(QPointF logical) const
{
    const qreal ratio = devicePixelRatioF();
    return QPoint(static_cast<int>(std::floor(logical.x() * ratio)),
                  static_cast<int>(std::floor(logical.y() * ratio)));
}
