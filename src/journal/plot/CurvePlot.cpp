// The learning curve's plot and the stage's loop gain: the module
// heulmeister-curveplot.so, the only code that uses Qt Charts. Loaded by
// journal/CurvePlotModule when one of their windows first opens. Thread: GUI only.

#include "journal/CurvePlotModule.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QLocale>
#include <QVBoxLayout>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QDateTimeAxis>
#include <QtCharts/QLineSeries>
#include <QtCharts/QLogValueAxis>
#include <QtCharts/QScatterSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// A day is drawn at its local noon, so the points sit between the midnights.
qint64 DayPosition(const QDate& day)
{
    return QDateTime(day, QTime(12, 0)).toMSecsSinceEpoch();
}

// The find-time axis from 0: a step of 1, 2 or 5 times a power of ten for at
// most five intervals, and as many decimals as the step needs, so no two
// labels read the same (0,5 s steps show "0,5", not "0, 1, 1, 2").
struct SecondsAxis {
    double top = 10;
    int ticks = 6;
    int decimals = 0;
};

SecondsAxis SecondsAxisFor(double slowest)
{
    SecondsAxis axis;
    if (!(slowest > 0))
        return axis;
    const double wanted = slowest * 1.1 / 5;
    const double magnitude = std::pow(10.0, std::floor(std::log10(wanted)));
    double step = 10 * magnitude;
    for (double factor : {1.0, 2.0, 5.0})
        if (factor * magnitude >= wanted) {
            step = factor * magnitude;
            break;
        }
    axis.ticks = int(std::ceil(slowest * 1.1 / step - 1e-9)) + 1;
    axis.top = step * (axis.ticks - 1);
    axis.decimals = std::max(0, -int(std::floor(std::log10(step) + 1e-9)));
    return axis;
}

QLineSeries* NewSeries(const QString& name, const QColor& colour)
{
    auto* series = new QLineSeries;
    series->setName(name);
    series->setColor(colour);
    series->setPointsVisible(true);
    return series;
}

} // namespace

extern "C" Q_DECL_EXPORT QWidget* heulmeister_create_curve_plot(const LearningCurve& curve,
                                                                QWidget* parent)
{
    auto* firstAttempt =
        NewSeries(QCoreApplication::translate("CurvePlot", "beim ersten Versuch gefunden (%)"),
                  QColor(30, 140, 60));
    auto* nearTry = NewSeries(
        QCoreApplication::translate("CurvePlot", "erster Versuch auf dem Band oder daneben (%)"),
        QColor(30, 90, 200));
    auto* median = NewSeries(QCoreApplication::translate("CurvePlot", "Median der Fundzeit (s)"),
                             QColor(200, 60, 30));
    double slowest = 0;
    for (const LearningDay& day : curve.days) {
        const qreal x = qreal(DayPosition(day.day));
        if (day.figures.firstAttemptShare)
            firstAttempt->append(x, *day.figures.firstAttemptShare * 100);
        if (day.figures.nearFirstTryShare)
            nearTry->append(x, *day.figures.nearFirstTryShare * 100);
        if (day.figures.medianFindSeconds) {
            median->append(x, *day.figures.medianFindSeconds);
            slowest = std::max(slowest, *day.figures.medianFindSeconds);
        }
    }

    // The stage's howls beside the tone: their own find time.
    auto* stageMedian =
        NewSeries(QCoreApplication::translate("CurvePlot", "Bühne: Median der Fundzeit (s)"),
                  QColor(150, 60, 170));
    for (const LearningDay& day : curve.stageDays) {
        if (day.figures.medianFindSeconds) {
            stageMedian->append(qreal(DayPosition(day.day)), *day.figures.medianFindSeconds);
            slowest = std::max(slowest, *day.figures.medianFindSeconds);
        }
    }

    auto* chart = new QChart;
    chart->setLocalizeNumbers(true);
    chart->setLocale(QLocale());
    for (QLineSeries* series : {firstAttempt, nearTry, median, stageMedian})
        chart->addSeries(series);

    auto* days = new QDateTimeAxis;
    days->setFormat(QStringLiteral("dd.MM.yyyy"));
    days->setTitleText(QCoreApplication::translate("CurvePlot", "Tag"));
    const qint64 halfDay = 12LL * 3600 * 1000;
    std::vector<QDate> shown;
    for (const auto* days : {&curve.days, &curve.stageDays})
        for (const LearningDay& day : *days)
            shown.push_back(day.day);
    std::sort(shown.begin(), shown.end());
    shown.erase(std::unique(shown.begin(), shown.end()), shown.end());
    const qint64 first = shown.empty() ? 0 : DayPosition(shown.front());
    const qint64 last = shown.empty() ? 0 : DayPosition(shown.back());
    days->setRange(QDateTime::fromMSecsSinceEpoch(first - halfDay),
                   QDateTime::fromMSecsSinceEpoch(last + halfDay));
    days->setTickCount(int(std::clamp<std::size_t>(shown.size() + 1, 2, 8)));
    chart->addAxis(days, Qt::AlignBottom);

    auto* shares = new QValueAxis;
    shares->setRange(0, 100);
    shares->setTickCount(6);
    shares->setLabelFormat(QStringLiteral("%.0f"));
    shares->setTitleText(QCoreApplication::translate("CurvePlot", "Anteil in %"));
    chart->addAxis(shares, Qt::AlignLeft);

    auto* seconds = new QValueAxis;
    const SecondsAxis secondsAxis = SecondsAxisFor(slowest);
    seconds->setRange(0, secondsAxis.top);
    seconds->setTickCount(secondsAxis.ticks);
    seconds->setLabelFormat(QStringLiteral("%.%1f").arg(secondsAxis.decimals));
    seconds->setTitleText(QCoreApplication::translate("CurvePlot", "Fundzeit in s"));
    chart->addAxis(seconds, Qt::AlignRight);

    for (QLineSeries* series : {firstAttempt, nearTry, median, stageMedian})
        series->attachAxis(days);
    firstAttempt->attachAxis(shares);
    nearTry->attachAxis(shares);
    median->attachAxis(seconds);
    stageMedian->attachAxis(seconds);
    chart->legend()->setAlignment(Qt::AlignBottom);

    auto* view = new QChartView(chart, parent);
    view->setRenderHint(QPainter::Antialiasing);
    return view;
}

namespace {

QValueAxis* DbAxis(const QString& title, double low, double high, double stepDb)
{
    auto* axis = new QValueAxis;
    axis->setRange(low, high);
    axis->setTickCount(int(std::lround((high - low) / stepDb)) + 1);
    axis->setLabelFormat(QStringLiteral("%.0f"));
    axis->setTitleText(title);
    return axis;
}

QLogValueAxis* FrequencyAxis()
{
    auto* axis = new QLogValueAxis;
    axis->setBase(10);
    axis->setRange(20, 20000);
    axis->setMinorTickCount(8);
    axis->setLabelFormat(QStringLiteral("%.0f"));
    axis->setTitleText(QCoreApplication::translate("CurvePlot", "Frequenz in Hz"));
    return axis;
}

QLineSeries* CurveOf(const QString& name, const QColor& colour,
                     const std::vector<double>& frequenciesHz, const std::vector<double>& db)
{
    auto* series = new QLineSeries;
    series->setName(name);
    series->setColor(colour);
    for (std::size_t i = 0; i < frequenciesHz.size() && i < db.size(); ++i)
        series->append(frequenciesHz[i], db[i]);
    return series;
}

QChartView* ChartOf(const std::vector<QAbstractSeries*>& series, QValueAxis* dbAxis,
                    QWidget* parent)
{
    auto* chart = new QChart;
    chart->setLocalizeNumbers(true);
    chart->setLocale(QLocale());
    for (QAbstractSeries* one : series)
        chart->addSeries(one);
    QLogValueAxis* frequencies = FrequencyAxis();
    chart->addAxis(frequencies, Qt::AlignBottom);
    chart->addAxis(dbAxis, Qt::AlignLeft);
    for (QAbstractSeries* one : series) {
        one->attachAxis(frequencies);
        one->attachAxis(dbAxis);
    }
    chart->legend()->setAlignment(Qt::AlignBottom);
    auto* view = new QChartView(chart, parent);
    view->setRenderHint(QPainter::Antialiasing);
    return view;
}

} // namespace

// The loop gain before and after the cuts with the 0 dB line and the howls
// marked on it; the EQ beneath on the same frequency axis.
extern "C" Q_DECL_EXPORT QWidget* heulmeister_create_stage_plot(const StageResponse& response,
                                                                QWidget* parent)
{
    const std::vector<double>& hz = response.frequenciesHz;
    auto* before =
        CurveOf(QCoreApplication::translate("CurvePlot", "Schleifenverstärkung vor den Schnitten"),
                QColor(200, 60, 30), hz, response.beforeDb);
    auto* after = CurveOf(QCoreApplication::translate("CurvePlot", "nach den Schnitten"),
                          QColor(30, 90, 200), hz, response.afterDb);
    auto* zero = CurveOf(QCoreApplication::translate("CurvePlot", "0 dB: darüber heult es"),
                         QColor(90, 90, 90), {20.0, 20000.0}, {0.0, 0.0});
    auto* howls = new QScatterSeries;
    howls->setName(QCoreApplication::translate("CurvePlot", "Rückkopplungen"));
    howls->setColor(QColor(230, 160, 0));
    howls->setMarkerSize(11);
    for (double howlHz : response.howlsHz)
        howls->append(howlHz, 0.0);
    double lowest = 0;
    for (double db : response.afterDb)
        lowest = std::min(lowest, db);
    const double bottom = std::max(-60.0, 10 * std::floor(lowest / 10));

    auto* eq = CurveOf(QCoreApplication::translate("CurvePlot", "Equalizer"), QColor(30, 140, 60),
                       hz, response.eqDb);

    auto* pane = new QWidget(parent);
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(
        ChartOf({before, after, zero, howls},
                DbAxis(QCoreApplication::translate("CurvePlot", "Schleife in dB"), bottom, 10, 10),
                pane),
        3);
    layout->addWidget(
        ChartOf({eq}, DbAxis(QCoreApplication::translate("CurvePlot", "EQ in dB"), -15, 15, 5),
                pane),
        2);
    return pane;
}
