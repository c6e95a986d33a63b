#pragma once
// "Training" > "Bühne: Frequenzgang ...": the loop gain of the last stage
// turn before and after the player's cuts, the howls and the EQ, drawn by
// the plot module, which is loaded when this window first opens.
// Thread: GUI only.

#include <QDialog>

class QLabel;
class QVBoxLayout;
class StageFlow;

class StageResponseView final : public QDialog {
    Q_OBJECT
  public:
    explicit StageResponseView(StageFlow& stage, QWidget* parent = nullptr);

    QString NoticeText() const;
    QWidget* Plot() const { return plot_; }

  private:
    QVBoxLayout* layout_;
    QLabel* notice_;
    QWidget* plot_ = nullptr;
};
