#pragma once
// "Lernkurve ...": per day (local time) the share of found turns found at the
// first attempt, the share of turns whose first try hit the ringing band or
// a neighbour, and the median find time, as a plot; below it the same per
// band over each band's last 20 turns. Thread: GUI only.

#include "journal/JournalStats.h"

#include <QWidget>

#include <optional>
#include <vector>

class Journal;
class QLabel;
class QTableWidget;

class LearningCurveView final : public QWidget {
    Q_OBJECT
  public:
    // `turns` as Journal::ReadTurns gives them; nullopt when the journal is
    // off, with `offReason` saying why.
    LearningCurveView(std::optional<std::vector<JournalTurn>> turns, const QString& offReason,
                      QWidget* parent = nullptr);

    const LearningCurve& Curve() const { return curve_; }
    QTableWidget* BandTable() const { return bandTable_; }
    // The Qt Charts plot; null when there is nothing to plot or the plot
    // module is missing (the notice says which).
    QWidget* Plot() const { return plot_; }
    QString NoticeText() const;

  private:
    void FillBandTable();

    LearningCurve curve_;
    QWidget* plot_ = nullptr;
    QLabel* notice_ = nullptr;
    QTableWidget* bandTable_ = nullptr;
};

// The menu command: reads the journal and opens the window (a top-level
// window owned by `parent`, deleted when closed).
LearningCurveView* OpenLearningCurveView(Journal& journal, QWidget* parent);
