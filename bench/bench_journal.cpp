// Opening the training journal's windows with 10,000 recorded turns: from the
// menu command (read the journal, compute, build the window) to its first
// painted frame, against showing and painting one empty QWidget in the same
// run. Target: under 300 ms per window.
// Run: ./build/bench/bench_journal [turns]

#include "journal/ConfusionView.h"
#include "journal/CurvePlotModule.h"
#include "journal/Journal.h"
#include "journal/LearningCurveView.h"
#include "platform/Dialogs.h"

#include <QApplication>
#include <QDir>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(const std::function<void()>& work)
{
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> samples)
{
    std::nth_element(samples.begin(), samples.begin() + samples.size() / 2, samples.end());
    return samples[samples.size() / 2];
}

class SilentDialogs final : public Dialogs {
  public:
    DialogResult MessageBox(const MessageBoxRequest& request) override
    {
        std::fprintf(stderr, "box: %s\n", qPrintable(request.text));
        return request.defaultButton;
    }
    QString OpenFileName(const FileDialogRequest&) override { return {}; }
    QString SaveFileName(const FileDialogRequest&) override { return {}; }
};

// A year of play: turns spread over 365 days, bands 12..22, a few wrong tries
// each, one in ten given up. Written in one transaction, as fast as possible.
bool Seed(const QString& path, int turns)
{
    const QString name = QStringLiteral("bench-seed");
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (db.open()) {
            QSqlQuery query(db);
            query.exec(QStringLiteral("BEGIN"));
            query.prepare(QStringLiteral(
                "INSERT INTO turns (started_at, ringing_band, frequency_hz, scoring_mode, "
                "low_cut, high_cut, attempts, tried, find_ms, outcome, feedback_time, "
                "random_start, swell, bed) VALUES (?, ?, ?, 1, 11, 22, ?, ?, ?, ?, 0, 0, 0, 0)"));
            QRandomGenerator random(2026);
            const QDateTime start = QDateTime::currentDateTimeUtc().addDays(-365);
            ok = true;
            for (int i = 0; i < turns && ok; ++i) {
                const int band = 12 + int(random.bounded(11));
                QStringList tried;
                const int wrong = int(random.bounded(4));
                for (int w = 0; w < wrong; ++w)
                    tried << QString::number(11 + int(random.bounded(12)));
                const bool found = random.bounded(10) != 0;
                query.addBindValue(FormatStartedAt(start.addSecs(qint64(i) * 365 * 86400 / turns)));
                query.addBindValue(band);
                query.addBindValue(1000.0 + random.bounded(100.0));
                query.addBindValue(wrong + (found ? 1 : 0));
                query.addBindValue(tried.join(QLatin1Char(' ')));
                query.addBindValue(found ? QVariant(1000 + int(random.bounded(20000)))
                                         : QVariant(QMetaType(QMetaType::Int)));
                query.addBindValue(found ? QStringLiteral("found") : QStringLiteral("abandoned"));
                ok = query.exec();
            }
            ok = ok && query.exec(QStringLiteral("COMMIT"));
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

// Shows a window and paints it once, as the first frame on screen.
void ShowAndPaint(QWidget* window)
{
    window->show();
    QCoreApplication::processEvents();
    window->repaint();
    for (QWidget* child : window->findChildren<QWidget*>())
        if (child->isVisible())
            child->repaint();
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int turns = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;
    constexpr int Runs = 15;
    // The plot module lies in the build tree, one folder up.
    SetCurvePlotSearchPath({QDir(QCoreApplication::applicationDirPath()).filePath("..")});

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("journal.sqlite"));
    SilentDialogs dialogs;
    {
        Journal schema(dialogs, path); // creates the table
        if (!schema.Open())
            return 1;
    }
    if (!Seed(path, turns)) {
        std::fprintf(stderr, "seeding failed\n");
        return 1;
    }

    Journal journal(dialogs, path);
    auto openConfusions = [&] {
        QWidget* view = OpenConfusionView(journal, nullptr);
        ShowAndPaint(view);
        view->close(); // deleted on close
    };
    auto openCurve = [&] {
        QWidget* view = OpenLearningCurveView(journal, nullptr);
        ShowAndPaint(view);
        view->close();
    };
    auto emptyWidget = [] {
        QWidget widget;
        widget.resize(800, 600);
        ShowAndPaint(&widget);
    };

    // First opens: the journal's connection, the SQLite driver and the plot
    // module with Qt Charts are loaded here.
    const double firstReference = Milliseconds(emptyWidget);
    const double firstConfusions = Milliseconds(openConfusions);
    const double firstCurve = Milliseconds(openCurve);
    QCoreApplication::processEvents();

    std::vector<double> reference, confusions, curve;
    for (int run = 0; run < Runs; ++run) {
        reference.push_back(Milliseconds(emptyWidget));
        confusions.push_back(Milliseconds(openConfusions));
        curve.push_back(Milliseconds(openCurve));
        QCoreApplication::processEvents(); // let the closed windows go
    }

    std::printf("Journal windows with %d recorded turns (%s), median of %d opens, first open "
                "in brackets\n",
                turns, qPrintable(QGuiApplication::platformName()), Runs);
    std::printf("  reference: empty QWidget shown and painted  %7.2f ms  (%7.2f ms)\n",
                Median(reference), firstReference);
    std::printf("  \"Verwechslungen ...\"                        %7.2f ms  (%7.2f ms)\n",
                Median(confusions), firstConfusions);
    std::printf("  \"Lernkurve ...\"                             %7.2f ms  (%7.2f ms)\n",
                Median(curve), firstCurve);
    std::printf("  target: under 300 ms each; ratio to the reference %.1f and %.1f\n",
                Median(confusions) / Median(reference), Median(curve) / Median(reference));
    return 0;
}
