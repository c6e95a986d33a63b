#pragma once
// The paint box: shows the picture the renderer made and reports mouse and
// size changes in device pixels. It draws nothing of its own.

#include <QImage>
#include <QWidget>

class FaderView final : public QWidget {
    Q_OBJECT
  public:
    explicit FaderView(QWidget* parent = nullptr);

    // Shows `picture`, which the renderer keeps alive and repaints in place;
    // holding it by pointer avoids a copy of every frame.
    void SetPicture(const QImage* picture);
    const QImage* Picture() const { return picture_; }
    // Client size in device pixels, the unit of all fader geometry.
    QSize DeviceSize() const;

  signals:
    void resized();
    void mousePressed(Qt::MouseButtons buttons, QPoint devicePosition);
    void mouseMoved(Qt::MouseButtons buttons, QPoint devicePosition);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    QPoint ToDevice(QPointF logical) const;
    const QImage* picture_ = nullptr;
};
