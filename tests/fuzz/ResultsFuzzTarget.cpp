#include "ResultsFuzzTarget.h"

#include "display/FaderGeometry.h"
#include "display/PixelExactCanvas.h"
#include "model/FaderModel.h"
#include "results/BandCounters.h"
#include "results/Charts.h"
#include "results/ResultsFile.h"
#include "results/StatusLines.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <cmath>
#include <cstring>

namespace {

// A small paint box keeps each run quick; the rules do not depend on its size.
const QSize PaintBox(640, 240);

const GameModeValue ChartModes[] = {ModeCurrentAttempts, ModeCurrentTimes,     ModeTotalAttempts,
                                    ModeTotalTimes,      ModeProgressAttempts, ModeProgressTimes};

bool LooksBroken(const QString& text)
{
    return text.contains(QLatin1String("NaN")) || text.contains(QLatin1String("INF")) ||
           text.contains(QLatin1String("nan")) || text.contains(QLatin1String("inf"));
}

GameState FreshStateChartingEveryBand()
{
    GameState state;
    for (int band = 0; band < BandCount; ++band) {
        SetBandLabel(state.BandTable[band], QString::fromLatin1(BandDefinitions[band].label));
        state.BandTable[band].Frequency = BandDefinitions[band].frequencyHz;
    }
    state.StoredBandTable = state.BandTable;
    // The widest range the settings allow: every chartable band is charted.
    state.LowCutBand = 0;
    state.HighCutBand = 26;
    return state;
}

// The current game takes the file's counters as well, mirrored, so both
// tables and their sums carry hostile values.
void PlayFromFile(GameState& state)
{
    for (int band = 0; band < BandCount; ++band) {
        const BandSlot& source = state.StoredBandTable[BandCount - 1 - band];
        BandCounters::Of(source).StoreIn(state.BandTable[band]);
    }
    std::int32_t finds = 0;
    std::int32_t attempts = 0;
    std::uint32_t time = 0;
    for (const BandSlot& slot : state.BandTable) {
        finds = SaturatingAdd(finds, slot.Finds);
        attempts = SaturatingAdd(attempts, slot.Attempts);
        time += static_cast<std::uint32_t>(slot.FindTime);
    }
    state.GameFinds = finds;
    state.GameAttempts = attempts;
    state.GameTime = time;
    state.TurnAttempts = state.BandTable[0].Attempts;
    state.LastFindTime = static_cast<std::uint32_t>(state.BandTable[1].FindTime);
    state.TurnStartTime = static_cast<std::uint32_t>(state.BandTable[2].FindTime);
    state.TurnClockRunning = 1;
}

QString CheckStatusLines(GameState state, const QLocale& locale)
{
    for (GameModeValue mode : {ModeTurnOver, ModeSearching}) {
        state.GameMode = mode;
        const StatusLines lines = ComposeStatusLines(state, 0x12345678u, locale);
        for (const StatusLine* line : {&lines.Label1, &lines.Label2, &lines.Label3})
            if (LooksBroken(line->text))
                return QStringLiteral("status line \"%1\"").arg(line->text);
    }
    return {};
}

QString CheckChart(GameState state, GameModeValue mode, const QLocale& locale)
{
    state.GameMode = mode;
    for (int band = 0; band < BandCount; ++band) {
        const ChartEntry entry = ChartValue(state, band);
        if (!entry.charted)
            continue;
        if (!std::isfinite(entry.value) || !std::isfinite(entry.sum) || !std::isfinite(entry.finds))
            return QStringLiteral("chart %1, band %2: value not finite").arg(mode).arg(band);
        const QString label = ChartLabel(mode, entry.value, locale);
        if (label.isEmpty() || LooksBroken(label))
            return QStringLiteral("chart %1, band %2: label \"%3\"").arg(mode).arg(band).arg(label);
    }

    QImage image(PaintBox, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    const FaderGeometry geometry = FaderGeometry::For(PaintBox, FaderGeometry::TrackSize(PaintBox));
    QPainter painter(&image);
    PixelExactCanvas canvas(painter);
    canvas.SetFont(ArialFont(10));
    canvas.SetFontColor(Qt::white);
    const auto paintColumn = MakeChartColumnPainter(locale);
    for (int band = 0; band < BandCount; ++band)
        paintColumn(canvas, state, band, geometry);
    // Each column: a mark of 3 rows, or a bar whose rows on the picture are
    // walked once and filled at most three times.
    const std::int64_t bound = std::int64_t{BandCount} * 4 * (PaintBox.height() + 2);
    if (canvas.RowsVisited() > bound)
        return QStringLiteral("chart %1: %2 rows drawn, more than %3")
            .arg(mode)
            .arg(canvas.RowsVisited())
            .arg(bound);
    return {};
}

} // namespace

QString CheckResultsFile(const QByteArray& bytes)
{
    static QTemporaryDir folder;
    if (!folder.isValid())
        return QStringLiteral("no temporary folder");
    const QString path = folder.filePath(QStringLiteral("fuzz.HMD"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(bytes) != bytes.size())
            return QStringLiteral("cannot write %1").arg(path);
    }

    GameState state = FreshStateChartingEveryBand();
    const BandArray before = state.StoredBandTable;
    ResultsFile resultsFile(state);
    const ResultsFileOutcome outcome = resultsFile.LoadResults(path);
    if (bytes.size() < ResultsFileSize) {
        if (outcome.status != ResultsFileStatus::Failed ||
            std::memcmp(&before, &state.StoredBandTable, sizeof before) != 0)
            return QStringLiteral("a short file of %1 bytes was taken").arg(bytes.size());
        return {};
    }
    if (!outcome.Succeeded())
        return QStringLiteral("a whole file failed to load: %1").arg(outcome.errorText);
    if (std::memcmp(state.StoredBandTable.data(), bytes.constData(), ResultsFileSize) != 0)
        return QStringLiteral("the stored table is not the file's first 28 records");

    PlayFromFile(state);
    // The image a save would write: stored plus current counters, saturating.
    if (resultsFile.ResultsImage().size() != ResultsFileSize)
        return QStringLiteral("the saved image has the wrong size");

    for (const QLocale& locale : {QLocale::c(), QLocale(QLocale::German, QLocale::Germany)}) {
        if (const QString failure = CheckStatusLines(state, locale); !failure.isEmpty())
            return failure;
        for (GameModeValue mode : ChartModes)
            if (const QString failure = CheckChart(state, mode, locale); !failure.isEmpty())
                return failure;
    }
    return {};
}
