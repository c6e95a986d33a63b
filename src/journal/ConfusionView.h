#pragma once
// "Verwechslungen ...": for each ringing band (rows) how often each band was
// tried (columns), the finds on the diagonal, as a heat map with the fader
// bank's band labels, the counts in the cells and on hover, and the three
// most frequent confusions in a sentence beneath. The window shows at once;
// the journal is read and the matrices computed on the journal's thread.
// Thread: GUI only.

#include "journal/JournalStats.h"

#include <QDateTime>
#include <QDialog>
#include <QWidget>

#include <array>
#include <optional>
#include <vector>

class JournalService;
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

// The matrix of each JournalPeriod, in the enum's order.
using ConfusionMatrices = std::array<ConfusionMatrix, 3>;

// A dialog, not a bare top-level widget: a screen reader announces it as a
// window with its title.
class ConfusionView final : public QDialog {
    Q_OBJECT
  public:
    // Empty until ShowMatrices or ShowJournalOff.
    explicit ConfusionView(QWidget* parent = nullptr);

    void ShowMatrices(const ConfusionMatrices& matrices);
    void ShowJournalOff(const QString& reason);
    // The journal's answer has come.
    bool IsFilled() const { return filled_; }

    void SetPeriod(JournalPeriod period);
    JournalPeriod Period() const { return period_; }
    const ConfusionMatrix& Matrix() const { return matrices_[int(period_)]; }
    QString SummaryText() const;
    QComboBox* PeriodChooser() const { return periodChooser_; }
    ConfusionHeatMap* HeatMap() const { return heatMap_; }

  private:
    void ShowPeriod();

    ConfusionMatrices matrices_{};
    bool filled_ = false;
    bool journalOff_ = false;
    JournalPeriod period_ = JournalPeriod::All;
    QComboBox* periodChooser_ = nullptr;
    ConfusionHeatMap* heatMap_ = nullptr;
    QLabel* summary_ = nullptr;
};

// The three periods' matrices of `turns`. Thread: any (pure).
ConfusionMatrices ComputeConfusionMatrices(const std::vector<JournalTurn>& turns,
                                           const QDateTime& nowUtc, const QTimeZone& localZone);

// The menu command: opens the window at once (a top-level window owned by
// `parent`, deleted when closed) and has the journal fill it in.
ConfusionView* OpenConfusionView(JournalService& journal, QWidget* parent);
