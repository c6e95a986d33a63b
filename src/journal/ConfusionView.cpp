#include "journal/ConfusionView.h"

#include "journal/BandNames.h"
#include "journal/JournalService.h"
#include "platform/ScreenFit.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QLabel>
#include <QPainter>
#include <QTimeZone>
#include <QToolTip>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

constexpr int TextPixels = 11;
constexpr int TextPad = 4; // between a text and its neighbours
constexpr int SmallestCell = 8;
constexpr int LargestCell = 64; // a few bands need no half-screen cells
constexpr int PreferredCell = 36;

const QColor FindColour(30, 140, 60);
const QColor ConfusionColour(200, 60, 30);
const QColor BetterColour(20, 120, 40);
const QColor WorseColour(190, 40, 20);

QString Times(int count)
{
    return count == 1 ? QCoreApplication::translate("ConfusionView", "einmal")
                      : QCoreApplication::translate("ConfusionView", "%1-mal").arg(count);
}

QString Percent(double share, const QLocale& locale = GermanNumbers())
{
    return locale.toString(qRound(share * 100)) + QStringLiteral(" %");
}

// From white to `full` with `strength` 0..1.
QColor Shade(const QColor& full, double strength)
{
    if (!(strength > 0))
        return Qt::white;
    const double share = 0.15 + 0.85 * std::min(strength, 1.0);
    auto mix = [share](int channel) { return qRound(255 + (channel - 255) * share); };
    return QColor(mix(full.red()), mix(full.green()), mix(full.blue()));
}

int IndexIn(const std::vector<int>& bands, int band)
{
    const auto found = std::find(bands.begin(), bands.end(), band);
    return found == bands.end() ? -1 : int(found - bands.begin());
}

int CeilDiv(int a, int b)
{
    return (a + b - 1) / b;
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
    maxConfusionShare_ = 0;
    for (int r : matrix_.rows)
        for (int c : matrix_.columns)
            if (r != c)
                maxConfusionShare_ = std::max(maxConfusionShare_, matrix_.Share(r, c).value_or(0));
    updateGeometry();
    update();
}

QSize ConfusionHeatMap::sizeHint() const
{
    const QFontMetrics metrics(ComputeLayout().font);
    const int extra = 3 * metrics.height() + 60; // titles, labels, arrows
    return QSize(extra + int(std::max<std::size_t>(matrix_.columns.size(), 8)) * PreferredCell,
                 extra + int(std::max<std::size_t>(matrix_.rows.size(), 8)) * PreferredCell / 2);
}

QSize ConfusionHeatMap::minimumSizeHint() const
{
    const QFontMetrics metrics(ComputeLayout().font);
    const int extra = 3 * metrics.height() + 60;
    return QSize(extra + int(matrix_.columns.size()) * SmallestCell,
                 extra + int(matrix_.rows.size()) * SmallestCell);
}

ConfusionHeatMap::Layout ConfusionHeatMap::ComputeLayout() const
{
    Layout layout;
    layout.font = font();
    layout.font.setPixelSize(TextPixels);
    const QFontMetrics metrics(layout.font);
    const int textHeight = metrics.height();
    int rowLabelWidth = 0;
    int columnLabelWidth = 0;
    for (int band : matrix_.rows)
        rowLabelWidth = std::max(rowLabelWidth, metrics.horizontalAdvance(BandAxisLabel(band)));
    for (int band : matrix_.columns)
        columnLabelWidth =
            std::max(columnLabelWidth, metrics.horizontalAdvance(BandAxisLabel(band)));
    const int arrowColumn = metrics.horizontalAdvance(QStringLiteral("↑")) + 2 * TextPad;
    const int columns = std::max<int>(1, int(matrix_.columns.size()));
    const int rows = std::max<int>(1, int(matrix_.rows.size()));
    const int axisTitle = textHeight + TextPad;

    const int left = axisTitle + rowLabelWidth + TextPad;
    layout.cellWidth =
        std::clamp((width() - left - arrowColumn - 1) / columns, SmallestCell, LargestCell);
    if (layout.cellWidth >= columnLabelWidth + TextPad) {
        layout.labelRowHeight = textHeight + TextPad;
    } else {
        // Turned upright, and only every n-th when even that is too tight.
        layout.columnLabelsRotated = true;
        layout.labelRowHeight = columnLabelWidth + TextPad;
        layout.columnLabelStep = CeilDiv(textHeight + TextPad / 2, layout.cellWidth);
    }
    layout.origin = QPoint(left, axisTitle + layout.labelRowHeight);
    layout.cellHeight =
        std::clamp((height() - layout.origin.y() - 1) / rows, SmallestCell, LargestCell / 2);
    if (layout.cellHeight < textHeight + 1)
        layout.rowLabelStep = CeilDiv(textHeight + 1, layout.cellHeight);
    return layout;
}

int ConfusionHeatMap::RowOf(int band) const
{
    return IndexIn(matrix_.rows, band);
}

int ConfusionHeatMap::ColumnOf(int band) const
{
    return IndexIn(matrix_.columns, band);
}

QRect ConfusionHeatMap::CellRect(int ringingBand, int triedBand) const
{
    const int row = RowOf(ringingBand);
    const int column = ColumnOf(triedBand);
    if (row < 0 || column < 0)
        return {};
    const Layout layout = ComputeLayout();
    return QRect(layout.origin.x() + column * layout.cellWidth,
                 layout.origin.y() + row * layout.cellHeight, layout.cellWidth, layout.cellHeight);
}

QRect ConfusionHeatMap::ArrowRect(const Layout& layout, int row) const
{
    const int right = layout.origin.x() + int(matrix_.columns.size()) * layout.cellWidth;
    return QRect(right + 1, layout.origin.y() + row * layout.cellHeight,
                 QFontMetrics(layout.font).horizontalAdvance(QStringLiteral("↑")) + 2 * TextPad,
                 layout.cellHeight);
}

std::optional<std::pair<int, int>> ConfusionHeatMap::CellAt(QPoint point) const
{
    const Layout layout = ComputeLayout();
    const QPoint offset = point - layout.origin;
    if (offset.x() < 0 || offset.y() < 0)
        return std::nullopt;
    const std::size_t column = offset.x() / layout.cellWidth;
    const std::size_t row = offset.y() / layout.cellHeight;
    if (column >= matrix_.columns.size() || row >= matrix_.rows.size())
        return std::nullopt;
    return std::make_pair(matrix_.rows[row], matrix_.columns[column]);
}

QString ConfusionHeatMap::CellToolTip(int ringingBand, int triedBand) const
{
    const int turns = matrix_.bandTurns[ringingBand];
    const int count = matrix_.counts[ringingBand][triedBand];
    const QString share = Percent(matrix_.Share(ringingBand, triedBand).value_or(0));
    if (ringingBand == triedBand)
        return tr("%1 klang in %n Runden und wurde in %2 davon beim ersten Versuch "
                  "gefunden (%3).",
                  nullptr, turns)
            .arg(BandName(ringingBand))
            .arg(count)
            .arg(share);
    return tr("Es klang %1, versucht wurde %2: in %3 von %4 Runden (%5).")
        .arg(BandName(ringingBand), BandName(triedBand))
        .arg(count)
        .arg(turns)
        .arg(share);
}

QString ConfusionHeatMap::Arrow(int ringingBand) const
{
    const auto before = matrix_.previousFirstTryShare[ringingBand];
    const auto now = matrix_.Share(ringingBand, ringingBand);
    if (!before || !now)
        return {};
    // Whole percent, as the cells show them.
    const int change = qRound(*now * 100) - qRound(*before * 100);
    return change > 0   ? QStringLiteral("↑")
           : change < 0 ? QStringLiteral("↓")
                        : QStringLiteral("→");
}

QString ConfusionHeatMap::ArrowToolTip(int ringingBand) const
{
    if (Arrow(ringingBand).isEmpty())
        return {};
    return tr("%1 beim ersten Versuch gefunden: %2, im Zeitraum davor %3.")
        .arg(BandName(ringingBand), Percent(*matrix_.Share(ringingBand, ringingBand)),
             Percent(*matrix_.previousFirstTryShare[ringingBand]));
}

bool ConfusionHeatMap::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const Layout layout = ComputeLayout();
        if (const auto cell = CellAt(help->pos())) {
            QToolTip::showText(help->globalPos(), CellToolTip(cell->first, cell->second), this,
                               CellRect(cell->first, cell->second));
            return true;
        }
        for (std::size_t row = 0; row < matrix_.rows.size(); ++row) {
            const QRect arrow = ArrowRect(layout, int(row));
            const QString tip = ArrowToolTip(matrix_.rows[row]);
            if (arrow.contains(help->pos()) && !tip.isEmpty()) {
                QToolTip::showText(help->globalPos(), tip, this, arrow);
                return true;
            }
        }
        QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

std::vector<ConfusionHeatMap::PlacedText> ConfusionHeatMap::Texts() const
{
    std::vector<PlacedText> texts;
    if (matrix_.rows.empty())
        return texts;
    const Layout layout = ComputeLayout();
    const QFontMetrics metrics(layout.font);
    const int textHeight = metrics.height();
    const QColor ink = palette().windowText().color();
    const int gridWidth = int(matrix_.columns.size()) * layout.cellWidth;
    const int gridHeight = int(matrix_.rows.size()) * layout.cellHeight;
    const QPoint origin = layout.origin;

    auto place = [&](const QString& text, QPoint centre, bool rotated, QColor colour) {
        const int length = metrics.horizontalAdvance(text);
        const QSize size = rotated ? QSize(textHeight, length) : QSize(length, textHeight);
        texts.push_back({text, QRect(centre - QPoint(size.width() / 2, size.height() / 2), size),
                         rotated, colour});
    };
    // Axis titles: what the rows and columns are.
    place(tr("versuchtes Band"), QPoint(origin.x() + gridWidth / 2, textHeight / 2), false, ink);
    place(tr("klingendes Band"), QPoint(textHeight / 2, origin.y() + gridHeight / 2), true, ink);

    const int labelMiddle = origin.y() - layout.labelRowHeight / 2;
    for (std::size_t c = 0; c < matrix_.columns.size(); c += layout.columnLabelStep)
        place(BandAxisLabel(matrix_.columns[c]),
              QPoint(origin.x() + int(c) * layout.cellWidth + layout.cellWidth / 2, labelMiddle),
              layout.columnLabelsRotated, ink);
    for (std::size_t r = 0; r < matrix_.rows.size(); ++r) {
        const int band = matrix_.rows[r];
        const int middle = origin.y() + int(r) * layout.cellHeight + layout.cellHeight / 2;
        if (r % layout.rowLabelStep == 0) {
            const QString label = BandAxisLabel(band);
            const int length = metrics.horizontalAdvance(label);
            place(label, QPoint(origin.x() - TextPad - (length + 1) / 2, middle), false, ink);
            const QString arrow = Arrow(band);
            if (!arrow.isEmpty())
                place(arrow, ArrowRect(layout, int(r)).center(), false,
                      arrow == QStringLiteral("↑")   ? BetterColour
                      : arrow == QStringLiteral("↓") ? WorseColour
                                                     : ink);
        }
        AddShareTexts(band, metrics, texts);
    }
    return texts;
}

void ConfusionHeatMap::AddShareTexts(int ringingBand, const QFontMetrics& metrics,
                                     std::vector<PlacedText>& texts) const
{
    // A share shows only where it fits its cell; hovering tells it anyway.
    for (int column : matrix_.columns) {
        if (matrix_.counts[ringingBand][column] == 0 && column != ringingBand)
            continue;
        const QString share = Percent(*matrix_.Share(ringingBand, column));
        const QRect cell = CellRect(ringingBand, column);
        const QSize size(metrics.horizontalAdvance(share), metrics.height());
        if (size.width() + TextPad > cell.width() || size.height() > cell.height())
            continue;
        const QColor fill = CellFill(ringingBand, column);
        texts.push_back({share,
                         QRect(cell.center() - QPoint(size.width() / 2, size.height() / 2), size),
                         false, fill.lightness() < 140 ? QColor(Qt::white) : QColor(Qt::black)});
    }
}

QColor ConfusionHeatMap::CellFill(int ringingBand, int triedBand) const
{
    const double share = matrix_.Share(ringingBand, triedBand).value_or(0);
    if (ringingBand == triedBand)
        return Shade(FindColour, share);
    return Shade(ConfusionColour, maxConfusionShare_ > 0 ? share / maxConfusionShare_ : 0);
}

void ConfusionHeatMap::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    if (matrix_.rows.empty())
        return;
    const Layout layout = ComputeLayout();
    for (int r : matrix_.rows)
        for (int c : matrix_.columns)
            painter.fillRect(CellRect(r, c), CellFill(r, c));
    painter.setPen(QColor(200, 200, 200));
    const QPoint origin = layout.origin;
    const int gridWidth = int(matrix_.columns.size()) * layout.cellWidth;
    const int gridHeight = int(matrix_.rows.size()) * layout.cellHeight;
    for (std::size_t i = 0; i <= matrix_.columns.size(); ++i)
        painter.drawLine(origin.x() + int(i) * layout.cellWidth, origin.y(),
                         origin.x() + int(i) * layout.cellWidth, origin.y() + gridHeight);
    for (std::size_t i = 0; i <= matrix_.rows.size(); ++i)
        painter.drawLine(origin.x(), origin.y() + int(i) * layout.cellHeight,
                         origin.x() + gridWidth, origin.y() + int(i) * layout.cellHeight);

    painter.setFont(layout.font);
    for (const PlacedText& text : Texts()) {
        painter.setPen(text.colour);
        if (!text.rotated) {
            painter.drawText(text.box, Qt::AlignCenter, text.text);
            continue;
        }
        painter.save();
        painter.translate(text.box.left(), text.box.bottom() + 1);
        painter.rotate(-90);
        painter.drawText(QRect(0, 0, text.box.height(), text.box.width()), Qt::AlignCenter,
                         text.text);
        painter.restore();
    }
}

QString ConfusionSummary(const ConfusionMatrix& matrix, const QLocale& locale)
{
    if (matrix.turns == 0)
        return QCoreApplication::translate(
            "ConfusionView",
            "Im gewählten Zeitraum ist keine Runde aufgezeichnet. Jede beendete Runde landet im "
            "Trainingsjournal; nach ein paar Runden zeigt dieses Fenster, welche Bänder Sie "
            "miteinander verwechseln.");
    if (matrix.mostConfused.empty())
        return QCoreApplication::translate("ConfusionView",
                                           "Im gewählten Zeitraum gab es keinen Fehlversuch, "
                                           "also keine Verwechslung.");
    // Per confusion: the band that rang, the band tried, how often.
    QStringList parts;
    for (const ConfusionPair& pair : matrix.mostConfused)
        parts << BandName(pair.ringingBand, locale) << BandName(pair.triedBand, locale)
              << Times(pair.count);
    // The whole sentence for one, two and three confusions, so that a
    // translation can order it as its language needs.
    if (parts.size() == 3)
        return QCoreApplication::translate("ConfusionView",
                                           "Am häufigsten wurde %1 für %2 gehalten (%3).")
            .arg(parts[0], parts[1], parts[2]);
    if (parts.size() == 6)
        return QCoreApplication::translate(
                   "ConfusionView",
                   "Am häufigsten wurde %1 für %2 gehalten (%3), danach %4 für %5 (%6).")
            .arg(parts[0], parts[1], parts[2], parts[3], parts[4], parts[5]);
    return QCoreApplication::translate("ConfusionView",
                                       "Am häufigsten wurde %1 für %2 gehalten (%3), danach %4 "
                                       "für %5 (%6) und %7 für %8 (%9).")
        .arg(parts[0], parts[1], parts[2], parts[3], parts[4], parts[5], parts[6], parts[7],
             parts[8]);
}

QStringList DirectionLines(const ConfusionMatrix& matrix, const QLocale& locale)
{
    QStringList lines;
    for (int band : matrix.rows) {
        if (matrix.bandTurns[band] < DirectionTurns)
            continue;
        const std::optional<double> median = matrix.direction[band];
        QString how = QCoreApplication::translate("ConfusionView", "kein Fehlversuch");
        if (median) {
            // One band is a third of an octave, three are an octave.
            const long bands = std::lround(std::abs(*median));
            const QString distance =
                bands == 1   ? QCoreApplication::translate("ConfusionView", "eine Terz")
                : bands == 2 ? QCoreApplication::translate("ConfusionView", "zwei Terzen")
                : bands == 3 ? QCoreApplication::translate("ConfusionView", "eine Oktave")
                             : QCoreApplication::translate("ConfusionView", "mehr als eine Oktave");
            how =
                bands == 0
                    ? QCoreApplication::translate("ConfusionView", "mal zu hoch, mal zu tief")
                : *median < 0
                    ? QCoreApplication::translate("ConfusionView", "meist %1 zu tief").arg(distance)
                    : QCoreApplication::translate("ConfusionView", "meist %1 zu hoch")
                          .arg(distance);
        }
        lines << QStringLiteral("%1: %2").arg(BandName(band, locale), how);
    }
    return lines;
}

ConfusionView::ConfusionView(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(tr("Verwechslungen"));

    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(tr("Zeitraum:"), this));
    periodChooser_ = new QComboBox(this);
    periodChooser_->addItem(tr("Letzte 7 Tage"), int(JournalPeriod::Last7Days));
    periodChooser_->addItem(tr("Letzte 30 Tage"), int(JournalPeriod::Last30Days));
    periodChooser_->addItem(tr("Alle"), int(JournalPeriod::All));
    periodChooser_->setCurrentIndex(2);
    periodChooser_->setEnabled(false);
    top->addWidget(periodChooser_);
    top->addStretch(1);
    layout->addLayout(top);

    auto* explanation =
        new QLabel(tr("Je Zelle: in wie viel Prozent der Runden des klingenden Bandes das Band der "
                      "Spalte versucht wurde; auf der Diagonale: beim ersten Versuch gefunden. "
                      "Die Pfeile rechts vergleichen das mit dem gleich langen Zeitraum davor. "
                      "Die Anzahl zeigt sich, wenn Sie mit der Maus auf die Zelle zeigen."),
                   this);
    explanation->setWordWrap(true);
    layout->addWidget(explanation);

    heatMap_ = new ConfusionHeatMap(this);
    layout->addWidget(heatMap_, 1);
    directions_ = new QGridLayout;
    layout->addLayout(directions_);
    summary_ = new QLabel(tr("Das Trainingsjournal wird gelesen ..."), this);
    summary_->setWordWrap(true);
    layout->addWidget(summary_);

    connect(periodChooser_, &QComboBox::currentIndexChanged, this, [this](int index) {
        SetPeriod(JournalPeriod(periodChooser_->itemData(index).toInt()));
    });
    FitToScreen(*this, QSize(1100, 860));
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
    summary_->setText(tr("Das Trainingsjournal ist ausgeschaltet: %1").arg(reason));
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
    while (QLayoutItem* item = directions_->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    if (!filled_ || journalOff_)
        return;
    summary_->setText(ConfusionSummary(Matrix()));
    // Three lines side by side, so that 28 bands leave room for the map.
    constexpr int Columns = 3;
    const QStringList lines = DirectionLines(Matrix());
    if (!lines.isEmpty())
        directions_->addWidget(new QLabel(tr("Richtung der Fehlversuche (Bänder mit mindestens %1 "
                                             "Runden):")
                                              .arg(DirectionTurns),
                                          this),
                               0, 0, 1, Columns);
    for (int i = 0; i < lines.size(); ++i)
        directions_->addWidget(new QLabel(lines[i], this), 1 + i / Columns, i % Columns);
}

QString ConfusionView::SummaryText() const
{
    return summary_->text();
}

QStringList ConfusionView::DirectionTexts() const
{
    QStringList texts;
    for (int i = 1; i < directions_->count(); ++i)
        if (auto* label = qobject_cast<QLabel*>(directions_->itemAt(i)->widget()))
            texts << label->text();
    return texts;
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
            const auto turns = store.ReadToneTurns();
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
