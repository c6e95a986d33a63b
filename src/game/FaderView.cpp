#include "game/FaderView.h"

#include <QMouseEvent>
#include <QPainter>
#include <cmath>

FaderView::FaderView(QWidget* parent) : QWidget(parent)
{
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
}

void FaderView::SetPicture(const QImage* picture)
{
    picture_ = picture;
    update();
}

QSize FaderView::DeviceSize() const
{
    const qreal ratio = devicePixelRatioF();
    return QSize(qRound(width() * ratio), qRound(height() * ratio));
}

void FaderView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (picture_ == nullptr || picture_->isNull())
        painter.fillRect(rect(), Qt::black);
    else
        painter.drawImage(QPoint(0, 0), *picture_);
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
