// The learning curve's plot: the module heulmeister-curveplot.so, the only
// code that uses Qt Charts. Loaded by journal/CurvePlotModule when the window
// first opens. Thread: GUI only.

#include "journal/CurvePlotModule.h"

#include <QDateTime>
#include <QLocale>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QDateTimeAxis>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>
#include <cmath>

namespace {

// A day is drawn at its local noon, so the points sit between the midnights.
qint64 DayPosition(const QDate& day)
{
    return QDateTime(day, QTime(12, 0)).toMSecsSinceEpoch();
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
        NewSeries(QStringLiteral("beim ersten Versuch gefunden (%)"), QColor(30, 140, 60));
    auto* nearTry = NewSeries(QStringLiteral("erster Versuch auf dem Band oder daneben (%)"),
                              QColor(30, 90, 200));
    auto* median = NewSeries(QStringLiteral("Median der Fundzeit (s)"), QColor(200, 60, 30));
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

    auto* chart = new QChart;
    chart->setLocalizeNumbers(true);
    chart->setLocale(QLocale());
    for (QLineSeries* series : {firstAttempt, nearTry, median})
        chart->addSeries(series);

    auto* days = new QDateTimeAxis;
    days->setFormat(QStringLiteral("dd.MM.yy"));
    days->setTitleText(QStringLiteral("Tag"));
    const qint64 halfDay = 12LL * 3600 * 1000;
    const qint64 first = curve.days.empty() ? 0 : DayPosition(curve.days.front().day);
    const qint64 last = curve.days.empty() ? 0 : DayPosition(curve.days.back().day);
    days->setRange(QDateTime::fromMSecsSinceEpoch(first - halfDay),
                   QDateTime::fromMSecsSinceEpoch(last + halfDay));
    days->setTickCount(int(std::clamp<std::size_t>(curve.days.size() + 1, 2, 8)));
    chart->addAxis(days, Qt::AlignBottom);

    auto* shares = new QValueAxis;
    shares->setRange(0, 100);
    shares->setTickCount(6);
    shares->setLabelFormat(QStringLiteral("%.0f"));
    shares->setTitleText(QStringLiteral("Anteil in %"));
    chart->addAxis(shares, Qt::AlignLeft);

    auto* seconds = new QValueAxis;
    seconds->setRange(0, slowest > 0 ? slowest * 1.1 : 10);
    seconds->setTickCount(6);
    seconds->applyNiceNumbers();
    seconds->setLabelFormat(QStringLiteral("%.0f"));
    seconds->setTitleText(QStringLiteral("Fundzeit in s"));
    chart->addAxis(seconds, Qt::AlignRight);

    for (QLineSeries* series : {firstAttempt, nearTry, median})
        series->attachAxis(days);
    firstAttempt->attachAxis(shares);
    nearTry->attachAxis(shares);
    median->attachAxis(seconds);
    chart->legend()->setAlignment(Qt::AlignBottom);

    auto* view = new QChartView(chart, parent);
    view->setRenderHint(QPainter::Antialiasing);
    return view;
}
