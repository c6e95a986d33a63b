#pragma once
// "Verwechslungen ...": for each band that rang (rows) the share of its turns
// in which each band was tried (columns: those bands and every band tried),
// on the diagonal the share found at the first try, as a heat map with the
// fader bank's band labels, the percentages in the cells and the counts on
// hover; an arrow per band compares its first-try share with the period
// before. Beneath, per band the direction of its wrong tries and the three
// most frequent confusions in a sentence. The window shows at once; the
// journal is read and the matrices computed on the journal's thread.
// Thread: GUI only.

#include "journal/BandNames.h"
#include "journal/JournalStats.h"

#include <QDateTime>
#include <QDialog>
#include <QFont>
#include <QWidget>

#include <array>
#include <optional>
#include <vector>

class JournalService;
class QComboBox;
class QGridLayout;
class QLabel;

class ConfusionHeatMap final : public QWidget {
    Q_OBJECT
  public:
    explicit ConfusionHeatMap(QWidget* parent = nullptr);
    void SetMatrix(const ConfusionMatrix& matrix);

    // The cell under a point: (ringing band, tried band), or nullopt.
    std::optional<std::pair<int, int>> CellAt(QPoint point) const;
    // What hovering over a cell tells: the count behind the share.
    QString CellToolTip(int ringingBand, int triedBand) const;
    // Empty for a band without a row or column.
    QRect CellRect(int ringingBand, int triedBand) const;
    // What hovering over a band's arrow tells; empty without an arrow.
    QString ArrowToolTip(int ringingBand) const;

    // Every text the map draws, where it draws it (rotated ones as their
    // turned box): the labels are thinned or turned so that none overlaps.
    struct PlacedText {
        QString text;
        QRect box;
        bool rotated = false;
        QColor colour;
    };
    std::vector<PlacedText> Texts() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

  private:
    // Where everything goes at the current size.
    struct Layout {
        QFont font;
        QPoint origin; // the grid's top left corner
        int cellWidth = 0;
        int cellHeight = 0;
        bool columnLabelsRotated = false;
        int columnLabelStep = 1; // every n-th column is labelled
        int rowLabelStep = 1;
        int labelRowHeight = 0;
    };
    Layout ComputeLayout() const;
    int RowOf(int band) const;
    int ColumnOf(int band) const;
    QRect ArrowRect(const Layout& layout, int row) const;
    QString Arrow(int ringingBand) const;
    QColor CellFill(int ringingBand, int triedBand) const;
    // The shares of one row that fit their cells.
    void AddShareTexts(int ringingBand, const QFontMetrics& metrics,
                       std::vector<PlacedText>& texts) const;

    ConfusionMatrix matrix_;
    double maxConfusionShare_ = 0;
};

// The sentence beneath the map.
QString ConfusionSummary(const ConfusionMatrix& matrix, const QLocale& locale = GermanNumbers());
// "3,15 kHz: meist eine Terz zu tief", one per band with a direction.
QStringList DirectionLines(const ConfusionMatrix& matrix, const QLocale& locale = GermanNumbers());

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
    QStringList DirectionTexts() const;
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
    QGridLayout* directions_ = nullptr;
};

// The three periods' matrices of `turns`. Thread: any (pure).
ConfusionMatrices ComputeConfusionMatrices(const std::vector<JournalTurn>& turns,
                                           const QDateTime& nowUtc, const QTimeZone& localZone);

// The menu command: opens the window at once (a top-level window owned by
// `parent`, deleted when closed) and has the journal fill it in.
ConfusionView* OpenConfusionView(JournalService& journal, QWidget* parent);
