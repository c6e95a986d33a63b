#include "journal/ConfusionView.h"

#include "journal/BandNames.h"
#include "journal/JournalService.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QLabel>
#include <QPainter>
#include <QTimeZone>
#include <QToolTip>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int LabelColumnWidth = 40; // the ringing bands' labels, left
constexpr int LabelRowHeight = 22;   // the tried bands' labels, top
constexpr int AxisTitleSize = 18;
constexpr int PreferredCell = 24;
constexpr int SmallestCell = 12;

const QColor FindColour(30, 140, 60);
const QColor ConfusionColour(200, 60, 30);

QString Times(int count)
{
    return count == 1 ? QStringLiteral("einmal") : QStringLiteral("%1-mal").arg(count);
}

// From white to `full` with the share of the largest count.
QColor Shade(const QColor& full, int count, int largest)
{
    if (count <= 0 || largest <= 0)
        return Qt::white;
    const double share = 0.15 + 0.85 * double(count) / largest;
    auto mix = [share](int channel) { return qRound(255 + (channel - 255) * share); };
    return QColor(mix(full.red()), mix(full.green()), mix(full.blue()));
}

} // namespace

ConfusionHeatMap::ConfusionHeatMap(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void ConfusionHeatMap::SetMatrix(const ConfusionMatrix& matrix)
{
    matrix_ = matrix;
    maxFinds_ = 0;
    maxConfusions_ = 0;
    for (int r = 0; r < BandCount; ++r)
        for (int c = 0; c < BandCount; ++c)
            (r == c ? maxFinds_ : maxConfusions_) =
                std::max(r == c ? maxFinds_ : maxConfusions_, matrix_.counts[r][c]);
    update();
}

QSize ConfusionHeatMap::sizeHint() const
{
    return QSize(AxisTitleSize + LabelColumnWidth + BandCount * PreferredCell + 1,
                 AxisTitleSize + LabelRowHeight + BandCount * PreferredCell + 1);
}

QSize ConfusionHeatMap::minimumSizeHint() const
{
    return QSize(AxisTitleSize + LabelColumnWidth + BandCount * SmallestCell + 1,
                 AxisTitleSize + LabelRowHeight + BandCount * SmallestCell + 1);
}

int ConfusionHeatMap::CellSize() const
{
    const int across = (width() - AxisTitleSize - LabelColumnWidth - 1) / BandCount;
    const int down = (height() - AxisTitleSize - LabelRowHeight - 1) / BandCount;
    return std::max(SmallestCell, std::min(across, down));
}

QPoint ConfusionHeatMap::GridOrigin() const
{
    return QPoint(AxisTitleSize + LabelColumnWidth, AxisTitleSize + LabelRowHeight);
}

QRect ConfusionHeatMap::CellRect(int ringingBand, int triedBand) const
{
    const int cell = CellSize();
    const QPoint origin = GridOrigin();
    return QRect(origin.x() + triedBand * cell, origin.y() + ringingBand * cell, cell, cell);
}

std::optional<std::pair<int, int>> ConfusionHeatMap::CellAt(QPoint point) const
{
    const int cell = CellSize();
    const QPoint offset = point - GridOrigin();
    if (offset.x() < 0 || offset.y() < 0)
        return std::nullopt;
    const int column = offset.x() / cell;
    const int row = offset.y() / cell;
    if (column >= BandCount || row >= BandCount)
        return std::nullopt;
    return std::make_pair(row, column);
}

QString ConfusionHeatMap::CellToolTip(int ringingBand, int triedBand) const
{
    const int count = matrix_.counts[ringingBand][triedBand];
    if (ringingBand == triedBand)
        return QStringLiteral("%1 klang und wurde %2 gefunden.")
            .arg(BandName(ringingBand), count == 0 ? QStringLiteral("nie") : Times(count));
    return QStringLiteral("Es klang %1, versucht wurde %2: %3.")
        .arg(BandName(ringingBand), BandName(triedBand),
             count == 0 ? QStringLiteral("nie") : Times(count));
}

bool ConfusionHeatMap::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        if (const auto cell = CellAt(help->pos()))
            QToolTip::showText(help->globalPos(), CellToolTip(cell->first, cell->second), this,
                               CellRect(cell->first, cell->second));
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

void ConfusionHeatMap::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    const int cell = CellSize();
    const QPoint origin = GridOrigin();
    const int gridSize = cell * BandCount;

    QFont small = font();
    small.setPixelSize(std::clamp(cell * 4 / 10, 8, 11));
    painter.setFont(small);
    painter.setPen(palette().windowText().color());

    // Axis titles: what the rows and columns are.
    painter.drawText(QRect(origin.x(), 0, gridSize, AxisTitleSize), Qt::AlignCenter,
                     QStringLiteral("versuchtes Band"));
    painter.save();
    painter.translate(0, origin.y() + gridSize);
    painter.rotate(-90);
    painter.drawText(QRect(0, 0, gridSize, AxisTitleSize), Qt::AlignCenter,
                     QStringLiteral("klingendes Band"));
    painter.restore();

    for (int band = 0; band < BandCount; ++band) {
        painter.drawText(QRect(origin.x() + band * cell, AxisTitleSize, cell, LabelRowHeight),
                         Qt::AlignCenter, BandAxisLabel(band));
        painter.drawText(QRect(AxisTitleSize, origin.y() + band * cell, LabelColumnWidth - 4, cell),
                         Qt::AlignRight | Qt::AlignVCenter, BandAxisLabel(band));
    }

    const bool countsFit = cell >= 16;
    for (int r = 0; r < BandCount; ++r) {
        for (int c = 0; c < BandCount; ++c) {
            const int count = matrix_.counts[r][c];
            const QRect box = CellRect(r, c);
            const QColor fill = r == c ? Shade(FindColour, count, maxFinds_)
                                       : Shade(ConfusionColour, count, maxConfusions_);
            painter.fillRect(box, fill);
            if (countsFit && count > 0) {
                painter.setPen(fill.lightness() < 140 ? Qt::white : Qt::black);
                painter.drawText(box, Qt::AlignCenter, QString::number(count));
            }
        }
    }
    painter.setPen(QColor(200, 200, 200));
    for (int i = 0; i <= BandCount; ++i) {
        painter.drawLine(origin.x() + i * cell, origin.y(), origin.x() + i * cell,
                         origin.y() + gridSize);
        painter.drawLine(origin.x(), origin.y() + i * cell, origin.x() + gridSize,
                         origin.y() + i * cell);
    }
}

QString ConfusionSummary(const ConfusionMatrix& matrix, const QLocale& locale)
{
    if (matrix.turns == 0)
        return QStringLiteral(
            "Im gewählten Zeitraum ist keine Runde aufgezeichnet. Jede beendete Runde landet im "
            "Trainingsjournal; nach ein paar Runden zeigt dieses Fenster, welche Bänder Sie "
            "miteinander verwechseln.");
    if (matrix.mostConfused.empty())
        return QStringLiteral("Im gewählten Zeitraum gab es keinen Fehlversuch, also keine "
                              "Verwechslung.");
    QStringList parts;
    for (const ConfusionPair& pair : matrix.mostConfused)
        parts << QStringLiteral("%1 für %2%4 (%3)")
                     .arg(BandName(pair.ringingBand, locale), BandName(pair.triedBand, locale),
                          Times(pair.count),
                          parts.isEmpty() ? QStringLiteral(" gehalten") : QString());
    // "Am häufigsten wurde A für B gehalten (n-mal), danach C für D (m-mal) und E für F (k-mal)."
    QString sentence = QStringLiteral("Am häufigsten wurde ") + parts.front();
    if (parts.size() > 1)
        sentence += QStringLiteral(", danach ") + parts[1];
    if (parts.size() > 2)
        sentence += QStringLiteral(" und ") + parts[2];
    return sentence + QLatin1Char('.');
}

ConfusionView::ConfusionView(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Verwechslungen"));

    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Zeitraum:"), this));
    periodChooser_ = new QComboBox(this);
    periodChooser_->addItem(QStringLiteral("Letzte 7 Tage"), int(JournalPeriod::Last7Days));
    periodChooser_->addItem(QStringLiteral("Letzte 30 Tage"), int(JournalPeriod::Last30Days));
    periodChooser_->addItem(QStringLiteral("Alle"), int(JournalPeriod::All));
    periodChooser_->setCurrentIndex(2);
    periodChooser_->setEnabled(false);
    top->addWidget(periodChooser_);
    top->addStretch(1);
    layout->addLayout(top);

    heatMap_ = new ConfusionHeatMap(this);
    layout->addWidget(heatMap_, 1);
    summary_ = new QLabel(QStringLiteral("Das Trainingsjournal wird gelesen ..."), this);
    summary_->setWordWrap(true);
    layout->addWidget(summary_);

    connect(periodChooser_, &QComboBox::currentIndexChanged, this, [this](int index) {
        SetPeriod(JournalPeriod(periodChooser_->itemData(index).toInt()));
    });
}

void ConfusionView::ShowMatrices(const ConfusionMatrices& matrices)
{
    matrices_ = matrices;
    filled_ = true;
    periodChooser_->setEnabled(true);
    ShowPeriod();
}

void ConfusionView::ShowJournalOff(const QString& reason)
{
    filled_ = true;
    journalOff_ = true;
    summary_->setText(QStringLiteral("Das Trainingsjournal ist ausgeschaltet: %1").arg(reason));
}

void ConfusionView::SetPeriod(JournalPeriod period)
{
    period_ = period;
    const int index = periodChooser_->findData(int(period));
    if (index >= 0 && index != periodChooser_->currentIndex())
        periodChooser_->setCurrentIndex(index); // comes back here once
    ShowPeriod();
}

void ConfusionView::ShowPeriod()
{
    heatMap_->SetMatrix(Matrix());
    if (filled_ && !journalOff_)
        summary_->setText(ConfusionSummary(Matrix()));
}

QString ConfusionView::SummaryText() const
{
    return summary_->text();
}

ConfusionMatrices ComputeConfusionMatrices(const std::vector<JournalTurn>& turns,
                                           const QDateTime& nowUtc, const QTimeZone& localZone)
{
    ConfusionMatrices matrices;
    for (JournalPeriod period :
         {JournalPeriod::Last7Days, JournalPeriod::Last30Days, JournalPeriod::All})
        matrices[int(period)] = ComputeConfusionMatrix(turns, period, nowUtc, localZone);
    return matrices;
}

ConfusionView* OpenConfusionView(JournalService& journal, QWidget* parent)
{
    auto* view = new ConfusionView(parent);
    view->setAttribute(Qt::WA_DeleteOnClose);
    view->show();
    if (journal.IsOff()) {
        view->ShowJournalOff(journal.OffReason());
        return view;
    }
    using Answer = std::optional<ConfusionMatrices>;
    const QDateTime nowUtc = journal.NowUtc();
    journal.Run<std::pair<Answer, QString>>(
        view,
        // Thread: the journal's.
        [nowUtc](Journal& store) {
            const auto turns = store.ReadTurns();
            if (!turns)
                return std::make_pair(Answer(), store.OffReason());
            return std::make_pair(
                Answer(ComputeConfusionMatrices(*turns, nowUtc, QTimeZone::systemTimeZone())),
                QString());
        },
        [view](std::pair<Answer, QString>& answer) {
            if (answer.first)
                view->ShowMatrices(*answer.first);
            else
                view->ShowJournalOff(answer.second);
        });
    return view;
}
