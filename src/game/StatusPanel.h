#pragma once
// The black status panel under the fader bank: three status lines on the
// left, NEUES SPIEL and START on the right.

#include <QWidget>

class QLabel;
class QPushButton;

class StatusPanel final : public QWidget {
    Q_OBJECT
  public:
    static constexpr int HeightPx = 102;
    static constexpr int ButtonWidthPx = 166;

    explicit StatusPanel(QWidget* parent = nullptr);

    QLabel* Label1; // the three status lines, top to bottom
    QLabel* Label2;
    QLabel* Label3;
    QPushButton* pStart; // START
    QPushButton* pNeu;   // NEUES SPIEL

  protected:
    void resizeEvent(QResizeEvent* event) override;
};
