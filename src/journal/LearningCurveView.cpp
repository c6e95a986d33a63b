#include "journal/LearningCurveView.h"

#include "journal/BandNames.h"
#include "journal/CurvePlotModule.h"
#include "journal/JournalService.h"
#include "platform/ScreenFit.h"

#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QTableWidget>
#include <QTimeZone>
#include <QVBoxLayout>

namespace {

const QString Dash = QStringLiteral("–");

QString Percent(const std::optional<double>& share)
{
    return share ? GermanNumbers().toString(*share * 100, 'f', 0) + QStringLiteral(" %") : Dash;
}

QString Seconds(const std::optional<double>& seconds)
{
    return seconds ? GermanNumbers().toString(*seconds, 'f', 1) + QStringLiteral(" s") : Dash;
}

// The table's width with no column cut, as its contents and headers want it.
int TableWidth(QTableWidget& table)
{
    QHeaderView& header = *table.horizontalHeader();
    header.setStretchLastSection(false);
    header.resizeSections(QHeaderView::ResizeToContents);
    const int columnsWidth = header.length();
    header.setStretchLastSection(true);
    return columnsWidth + 2 * table.frameWidth() + table.verticalScrollBar()->sizeHint().width();
}

} // namespace

LearningCurveView::LearningCurveView(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(tr("Lernkurve"));

    layout_ = new QVBoxLayout(this);
    auto* explanation =
        new QLabel(tr("Je Tag: der Anteil der gefundenen Runden, die beim ersten Versuch gefunden "
                      "wurden; der Anteil der Runden, deren erster Versuch das klingende Band "
                      "oder eines seiner beiden Nachbarn traf; der Median der Fundzeit. Die "
                      "Tabelle zeigt dasselbe je Band über seine letzten %1 Runden.")
                       .arg(BandWindow),
                   this);
    explanation->setWordWrap(true);
    layout_->addWidget(explanation);

    notice_ = new QLabel(tr("Das Trainingsjournal wird gelesen ..."), this);
    notice_->setWordWrap(true);
    layout_->addWidget(notice_);

    bandTable_ = new QTableWidget(BandCount, 7, this);
    bandTable_->setHorizontalHeaderLabels({tr("Band"), tr("Runden"), tr("Gefunden"),
                                           tr("Beim 1. Versuch gefunden"),
                                           tr("1. Versuch auf dem Band oder daneben"),
                                           tr("Median der Fundzeit"), tr("Gewicht beim Üben")});
    bandTable_->horizontalHeaderItem(6)->setToolTip(
        tr("Mit „Schwache Bänder üben“ klingt ein Band mit doppeltem Gewicht doppelt "
           "so oft, jedes aber mindestens halb so oft wie ohne die Option."));
    bandTable_->verticalHeader()->hide();
    bandTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    bandTable_->setSelectionMode(QAbstractItemView::NoSelection);
    bandTable_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    bandTable_->horizontalHeader()->setStretchLastSection(true);
    layout_->addWidget(bandTable_, 2);
    bandTable_->setVisible(false);
    FitToScreen(*this, QSize(900, 760));
}

void LearningCurveView::ShowCurve(const LearningCurve& curve, CreateCurvePlotFunction createPlot,
                                  const QString& problem)
{
    curve_ = curve;
    filled_ = true;
    notice_->clear();
    if (!HasDays(curve_)) {
        notice_->setText(
            tr("Im Trainingsjournal ist noch keine Runde aufgezeichnet. Jede beendete Runde landet "
               "dort; nach den ersten Runden zeigt dieses Fenster Ihre Lernkurve."));
    } else if (createPlot) {
        plot_ = createPlot(curve_, this);
        plot_->setMinimumSize(640, 300);
        layout_->insertWidget(1, plot_, 3);
    } else {
        notice_->setText(tr("Die Grafik kann nicht gezeigt werden. %1").arg(problem));
    }
    notice_->setVisible(!notice_->text().isEmpty());
    FillBandTable();
    bandTable_->setVisible(curve_.turns > 0);
    // Every column whole, where the screen has room.
    const QMargins margins = layout_->contentsMargins();
    const int wantedWidth = TableWidth(*bandTable_) + margins.left() + margins.right();
    if (bandTable_->isVisibleTo(this) && wantedWidth > width())
        FitToScreen(*this, QSize(wantedWidth, height()));
}

void LearningCurveView::ShowWeights(const BandWeights& weights)
{
    for (int band = 0; band < BandCount; ++band) {
        auto* item = new QTableWidgetItem(GermanNumbers().toString(weights[band], 'f', 2));
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        bandTable_->setItem(band, 6, item);
    }
}

void LearningCurveView::ShowJournalOff(const QString& reason)
{
    filled_ = true;
    notice_->setText(tr("Das Trainingsjournal ist ausgeschaltet: %1").arg(reason));
}

void LearningCurveView::FillBandTable()
{
    for (int band = 0; band < BandCount; ++band) {
        const LearningFigures& figures = curve_.bands[band];
        const QString cells[] = {
            BandName(band),
            QString::number(figures.turns),
            QString::number(figures.found),
            Percent(figures.firstAttemptShare),
            Percent(figures.nearFirstTryShare),
            Seconds(figures.medianFindSeconds),
        };
        for (int column = 0; column < 6; ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            item->setTextAlignment(column == 0 ? Qt::AlignLeft | Qt::AlignVCenter
                                               : Qt::AlignRight | Qt::AlignVCenter);
            bandTable_->setItem(band, column, item);
        }
        // Only the bands that rang; the rest would be rows of dashes.
        bandTable_->setRowHidden(band, figures.turns == 0);
    }
}

QString LearningCurveView::NoticeText() const
{
    return notice_->text();
}

LearningCurveView* OpenLearningCurveView(JournalService& journal, QWidget* parent)
{
    auto* view = new LearningCurveView(parent);
    view->setAttribute(Qt::WA_DeleteOnClose);
    view->show();
    if (journal.IsOff()) {
        view->ShowJournalOff(journal.OffReason());
        return view;
    }
    struct Answer {
        std::optional<LearningCurve> curve;
        QString offReason;
        CreateCurvePlotFunction createPlot = nullptr;
        QString problem;
        std::optional<BandWeights> weights;
    };
    journal.Run<Answer>(
        view,
        // Thread: the journal's.
        [](Journal& store) {
            Answer answer;
            if (const auto turns = store.ReadTurns()) {
                answer.curve = ComputeLearningCurve(*turns, QTimeZone::systemTimeZone());
                answer.weights = store.DrillWeights();
                if (HasDays(*answer.curve))
                    answer.createPlot = LoadCurvePlot(&answer.problem);
            } else {
                answer.offReason = store.OffReason();
            }
            return answer;
        },
        [view](Answer& answer) {
            if (answer.curve)
                view->ShowCurve(*answer.curve, answer.createPlot, answer.problem);
            if (answer.curve && answer.weights)
                view->ShowWeights(*answer.weights);
            if (!answer.curve)
                view->ShowJournalOff(answer.offReason);
        });
    return view;
}
