#pragma once
// "Verwechslungen ...": for each ringing band (rows) how often each band was
// tried (columns), the finds on the diagonal, as a heat map with the fader
// bank's band labels, the counts in the cells and on hover, and the three
// most frequent confusions in a sentence beneath. Thread: GUI only.

#include "journal/JournalStats.h"

#include <QDateTime>
#include <QWidget>

#include <optional>
#include <vector>

class Journal;
class QComboBox;
class QLabel;

class ConfusionHeatMap final : public QWidget {
    Q_OBJECT
  public:
    explicit ConfusionHeatMap(QWidget* parent = nullptr);
    void SetMatrix(const ConfusionMatrix& matrix);

    // The cell under a point: (ringing band, tried band), or nullopt.
    std::optional<std::pair<int, int>> CellAt(QPoint point) const;
    // What hovering over a cell tells.
    QString CellToolTip(int ringingBand, int triedBand) const;
    QRect CellRect(int ringingBand, int triedBand) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

  private:
    int CellSize() const;
    QPoint GridOrigin() const;

    ConfusionMatrix matrix_;
    int maxFinds_ = 0;
    int maxConfusions_ = 0;
};

// The sentence beneath the map.
QString ConfusionSummary(const ConfusionMatrix& matrix, const QLocale& locale = QLocale());

class ConfusionView final : public QWidget {
    Q_OBJECT
  public:
    // `turns` as Journal::ReadTurns gives them; nullopt when the journal is
    // off, with `offReason` saying why.
    ConfusionView(std::optional<std::vector<JournalTurn>> turns, const QString& offReason,
                  const QDateTime& nowUtc, QWidget* parent = nullptr);

    void SetPeriod(JournalPeriod period);
    JournalPeriod Period() const { return period_; }
    const ConfusionMatrix& Matrix() const { return matrix_; }
    QString SummaryText() const;
    QComboBox* PeriodChooser() const { return periodChooser_; }
    ConfusionHeatMap* HeatMap() const { return heatMap_; }

  private:
    void Recompute();

    std::vector<JournalTurn> turns_;
    bool journalOff_ = false;
    QDateTime nowUtc_;
    JournalPeriod period_ = JournalPeriod::All;
    ConfusionMatrix matrix_;
    QComboBox* periodChooser_ = nullptr;
    ConfusionHeatMap* heatMap_ = nullptr;
    QLabel* summary_ = nullptr;
};

// The menu command: reads the journal and opens the window (a top-level
// window owned by `parent`, deleted when closed).
ConfusionView* OpenConfusionView(Journal& journal, QWidget* parent);
