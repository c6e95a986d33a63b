#pragma once
// "Lernkurve ...": per day (local time) the share of found turns found at the
// first attempt, the share of turns whose first try hit the ringing band or
// a neighbour, and the median find time, as a plot; below it the same per
// band over each band's last 20 turns, with the weight the band has in the
// weighted draw. The window shows at once; the journal
// is read, the curve computed and the plot module loaded on the journal's
// thread. Thread: GUI only.

#include "journal/CurvePlotModule.h"
#include "journal/JournalStats.h"

#include <QDialog>

#include <optional>
#include <vector>

class JournalService;
class QLabel;
class QVBoxLayout;
class QTableWidget;

// A dialog, not a bare top-level widget: a screen reader announces it as a
// window with its title.
class LearningCurveView final : public QDialog {
    Q_OBJECT
  public:
    // Empty until ShowCurve or ShowJournalOff.
    explicit LearningCurveView(QWidget* parent = nullptr);

    // `createPlot` null when the plot module is missing, `problem` saying why.
    void ShowCurve(const LearningCurve& curve, CreateCurvePlotFunction createPlot,
                   const QString& problem);
    // The weighted draw's current weights, one more column of the band table.
    void ShowWeights(const BandWeights& weights);
    void ShowJournalOff(const QString& reason);
    // The journal's answer has come.
    bool IsFilled() const { return filled_; }

    const LearningCurve& Curve() const { return curve_; }
    QTableWidget* BandTable() const { return bandTable_; }
    // The Qt Charts plot; null when there is nothing to plot or the plot
    // module is missing (the notice says which).
    QWidget* Plot() const { return plot_; }
    QString NoticeText() const;

  private:
    void FillBandTable();

    LearningCurve curve_;
    bool filled_ = false;
    QVBoxLayout* layout_ = nullptr;
    QWidget* plot_ = nullptr;
    QLabel* notice_ = nullptr;
    QTableWidget* bandTable_ = nullptr;
};

// The menu command: opens the window at once (a top-level window owned by
// `parent`, deleted when closed) and has the journal fill it in.
LearningCurveView* OpenLearningCurveView(JournalService& journal, QWidget* parent);
