#include "stage/StageRenderer.h"

#include "platform/ReplacingFile.h"
#include "stage/CutVerdict.h"
#include "stage/FeedbackLoop.h"
#include "stage/HowlMeter.h"
#include "stage/LoopAnalysis.h"
#include "stage/StageBands.h"
#include "stage/StageConstants.h"
#include "stage/StageSearch.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>

namespace stage {

namespace {

constexpr char Usage[] = "Aufruf: heulmeister --render-stage STARTWERT AUSGABE.wav "
                         "[--seconds SEKUNDEN] [--no-room] [--range TIEF:HOCH] [--auto-cut DB] "
                         "[--cut BAND:DB@SEKUNDEN]...";
constexpr double HeardLevelDbfs = LimitDbfs - 30.0;
constexpr double GainRiseSeconds = 2.0;
constexpr double AutoCutDelaySeconds = 1.0;
constexpr double LongestSeconds = 600.0;
// A cut due at a block's start acts there despite rounding in its time.
constexpr double CutToleranceSeconds = 1e-9;
// Each cut is judged by the loop model, a fraction of a second apiece.
constexpr std::size_t MostCuts = 100;

template <typename Number> bool ParseWhole(const std::string& text, Number& value)
{
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && stop == end && !text.empty();
}

// A level in dB: "+3" as well as "3" and "-3".
bool ParseLevel(const std::string& text, int& value)
{
    if (text.size() > 1 && text[0] == '+' && text[1] != '-')
        return ParseWhole(text.substr(1), value);
    return ParseWhole(text, value);
}

bool ParseDecimal(const std::string& text, double& value)
{
    if (text.empty() || std::isspace(static_cast<unsigned char>(text[0])))
        return false;
    char* stop = nullptr;
    value = std::strtod(text.c_str(), &stop);
    return stop == text.c_str() + text.size() && std::isfinite(value);
}

std::optional<StageCut> ParseCut(const std::string& text)
{
    const std::size_t colon = text.find(':');
    const std::size_t at = text.find('@');
    StageCut cut;
    if (colon == std::string::npos || at == std::string::npos || at < colon ||
        !ParseWhole(text.substr(0, colon), cut.band) ||
        !ParseLevel(text.substr(colon + 1, at - colon - 1), cut.levelDb) ||
        !ParseDecimal(text.substr(at + 1), cut.seconds))
        return std::nullopt;
    if (cut.band < 0 || cut.band >= BandCount || cut.levelDb < MinLevelDb ||
        cut.levelDb > MaxLevelDb || cut.seconds < 0)
        return std::nullopt;
    return cut;
}

std::string Quoted(const std::string& text)
{
    return "\xE2\x80\x9E" + text + "\xE2\x80\x9C";
}

// Numbers with a decimal point whatever the locale says.
std::string Fixed(double value, int decimals)
{
    std::array<char, 64> text{};
    const auto result = std::to_chars(text.data(), text.data() + text.size(), value,
                                      std::chars_format::fixed, decimals);
    return std::string(text.data(), result.ptr);
}

// The stage as the renderer plays it: the howl followed by the model, when
// it is heard and when it dies in the samples, the gain rising between
// howls and the automatic engineer's cuts. One line per event.
class RingOutLog {
  public:
    RingOutLog(const StageRenderRequest& request, const FoundStage& found,
               const FftwFunctions& fftw, const std::function<void(const std::string&)>& onEvent)
        : request_(request), analysis_(*found.analysis), room_(found.design.room),
          scene_(found.scene), fftw_(fftw), onEvent_(onEvent)
    {
    }

    // The room the singer has just turned into, once; the log keeps it.
    PartitionedConvolver* TakeTurnedRoom() { return std::exchange(turnedRoom_, nullptr); }

    double GainDb() const { return analysis_.GainDb(); }
    const BandLevels& Levels() const { return levelsDb_; }
    bool LevelsChanged() { return std::exchange(levelsChanged_, false); }

    void Gain(double seconds)
    {
        onEvent_("gain t=" + Fixed(seconds, 3) + " db=" + Fixed(analysis_.GainDb(), 3));
    }

    // A new howl when the dominant pole grows clearly and is not the one followed.
    void LookForHowl(double leastGrowth)
    {
        const std::optional<LoopPole> dominant = analysis_.DominantPole();
        if (!dominant || dominant->GrowthDbPerSecond() <= leastGrowth)
            return;
        if (growing_ && std::abs(dominant->FrequencyHz() - howl_->FrequencyHz()) < 1.0)
            return;
        howl_ = dominant;
        growing_ = true;
        heardAt_.reset();
        meter_.SetFrequencyHz(dominant->FrequencyHz());
    }

    // The automatic engineer's and the command line's cuts, due at `seconds`.
    void ApplyCuts(double seconds, std::size_t& nextCut)
    {
        while (nextCut < request_.cuts.size() &&
               request_.cuts[nextCut].seconds <= seconds + CutToleranceSeconds) {
            const StageCut& cut = request_.cuts[nextCut++];
            Cut(seconds, cut);
        }
        // A cut that leaves the howl ringing is followed by a deeper one a
        // second later.
        if (request_.autoCutDb && growing_ && !falling_ && heardAt_ &&
            seconds >= std::max(*heardAt_, lastAutoCut_) + AutoCutDelaySeconds - 1e-9) {
            const int band = NearestBand(howl_->FrequencyHz());
            const int level = std::max(MinLevelDb, int(levelsDb_[band]) + *request_.autoCutDb);
            lastAutoCut_ = seconds;
            Cut(seconds, {band, level, seconds});
        }
    }

    // After each block: when the howl is first heard, when a cut has made it
    // fall, and the gain's rise while nothing howls.
    void Measure(const float* block, double seconds)
    {
        meter_.Process(block, BlockFrames);
        const double levelDbfs = meter_.LevelDbfs();
        if (growing_ && !heardAt_ && levelDbfs >= HeardLevelDbfs) {
            heardAt_ = seconds;
            ++howls_;
            const double frequencyHz = howl_->FrequencyHz();
            onEvent_("howl t=" + Fixed(seconds, 3) + " freq=" + Fixed(frequencyHz, 2) +
                     " band=" + std::to_string(NearestBand(frequencyHz)) +
                     " excess_db=" + Fixed(analysis_.OpenLoopGainDb(frequencyHz), 3) +
                     " delay_ms=" + Fixed(room_.DirectDelayMs(), 3) +
                     " group_delay_ms=" + Fixed(analysis_.GroupDelayMs(frequencyHz), 3) +
                     " growth_db_s=" + Fixed(howl_->GrowthDbPerSecond(), 2));
        }
        if (falling_) {
            if (levelDbfs <= falling_->levelDbfs - StopFallDb) {
                Stopped(seconds);
            } else if (seconds > falling_->seconds + StopWithinSeconds) {
                // A neighbour a few hertz away carries it on: it still rings.
                howl_ = CarriedOn(falling_->judgement);
                falling_.reset();
            }
        }
        if (request_.autoCutDb && !growing_ && seconds >= nextRise_) {
            analysis_.RiseGainDb();
            Gain(seconds);
            nextRise_ = seconds + GainRiseSeconds;
            LookForHowl(SlowestHowlDbPerSecond);
        }
    }

    void Finish(double seconds)
    {
        if (request_.autoCutDb)
            onEvent_("ringout howls=" + std::to_string(howls_) +
                     " gain_won_db=" + Fixed(analysis_.GainDb() - firstGainDb_, 3));
        (void)seconds;
    }

    void Start()
    {
        firstGainDb_ = analysis_.GainDb();
        LookForHowl(0);
    }

  private:
    void Cut(double seconds, const StageCut& cut)
    {
        levelsDb_[cut.band] = cut.levelDb;
        levelsChanged_ = true;
        if (!growing_) {
            analysis_.SetLevels(levelsDb_);
            onEvent_("cut t=" + Fixed(seconds, 3) + " band=" + std::to_string(cut.band) +
                     " db=" + std::to_string(cut.levelDb) + " verdict=none");
            return;
        }
        const double frequencyHz = howl_->FrequencyHz();
        const int howlBand = NearestBand(frequencyHz);
        const CutJudgement judgement = JudgeCut(analysis_, *howl_, levelsDb_);
        const PoleForecast& forecast = judgement.forecast;
        const CutVerdict judged = VerdictOf(judgement, cut.band, howlBand, *howl_);
        const bool stops = judged == CutVerdict::Right || judged == CutVerdict::Missed;
        const char* verdict = !stops ? "none" : judged == CutVerdict::Right ? "right" : "daneben";
        onEvent_("cut t=" + Fixed(seconds, 3) + " band=" + std::to_string(cut.band) +
                 " db=" + std::to_string(cut.levelDb) +
                 " loop_gain_db=" + Fixed(analysis_.OpenLoopGainDb(frequencyHz), 3) +
                 " growth_db_s=" + Fixed(forecast.growthDbPerSecond, 2) + " verdict=" + verdict);
        if (!stops) {
            falling_.reset(); // it grows again
            return;
        }
        // The first move that made it die owns the stop, once it is heard.
        if (!falling_)
            falling_ = Falling{seconds, meter_.LevelDbfs(),
                               "stopped t=" + Fixed(seconds, 3) + " freq=" + Fixed(frequencyHz, 2) +
                                   " band=" + std::to_string(howlBand) +
                                   " decay_db_s=" + Fixed(forecast.growthDbPerSecond, 2),
                               judgement};
    }

    // The howl fell as heard: it is stopped, and the gain may rise.
    void Stopped(double seconds)
    {
        onEvent_(falling_->line);
        falling_.reset();
        growing_ = false;
        nextRise_ = seconds + GainRiseSeconds;
        if (const std::optional<LoopDesign> design = SingerTurnDesign(scene_, ++stops_)) {
            const double gainChangeDb = analysis_.MoveRoom(*design);
            rooms_.push_back(
                std::make_unique<PartitionedConvolver>(fftw_, design->room.taps, BlockFrames));
            turnedRoom_ = rooms_.back().get();
            onEvent_("singer t=" + Fixed(seconds, 3) +
                     " mic1=" + PlacementText(SceneAfterStops(scene_, stops_).microphones[0]));
            if (gainChangeDb != 0)
                Gain(seconds);
        }
        LookForHowl(SlowestHowlDbPerSecond);
    }

    struct Falling {
        double seconds;
        double levelDbfs;
        std::string line;
        CutJudgement judgement;
    };

    const StageRenderRequest& request_;
    LoopAnalysis& analysis_;
    const RoomImpulse& room_;
    const StageScene& scene_;
    const FftwFunctions& fftw_;
    const std::function<void(const std::string&)>& onEvent_;
    int stops_ = 0;
    std::vector<std::unique_ptr<PartitionedConvolver>> rooms_;
    PartitionedConvolver* turnedRoom_ = nullptr;
    HowlMeter meter_;
    BandLevels levelsDb_{};
    bool levelsChanged_ = false;
    std::optional<LoopPole> howl_;
    bool growing_ = false;
    std::optional<double> heardAt_;
    std::optional<Falling> falling_;
    double lastAutoCut_ = 0;
    double nextRise_ = 0;
    double firstGainDb_ = 0;
    int howls_ = 0;
};

void PutLittleEndian(std::vector<unsigned char>& bytes, std::uint32_t value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

constexpr std::size_t WaveHeaderBytes = 44;
// Written in pieces of this size: few system calls, little memory.
constexpr std::size_t WaveFlushBytes = 1 << 16;

std::vector<unsigned char> WaveHeader(std::uint32_t dataBytes)
{
    std::vector<unsigned char> bytes;
    bytes.reserve(WaveHeaderBytes);
    const auto text = [&bytes](const char* four) { bytes.insert(bytes.end(), four, four + 4); };
    text("RIFF");
    PutLittleEndian(bytes, 36 + dataBytes, 4);
    text("WAVE");
    text("fmt ");
    PutLittleEndian(bytes, 16, 4);
    PutLittleEndian(bytes, 1, 2); // PCM
    PutLittleEndian(bytes, 1, 2); // mono
    PutLittleEndian(bytes, SampleRateHz, 4);
    PutLittleEndian(bytes, SampleRateHz * 2, 4);
    PutLittleEndian(bytes, 2, 2);
    PutLittleEndian(bytes, 16, 2);
    text("data");
    PutLittleEndian(bytes, dataBytes, 4);
    return bytes;
}

// Mono 16-bit PCM at 48 kHz, written as it is rendered, so memory stays the
// same for ten minutes as for one second; the header's sizes are put in last.
class WaveWriter {
  public:
    explicit WaveWriter(ReplacingFile& file) : file_(file) { pending_.reserve(WaveFlushBytes); }

    bool Start()
    {
        const std::vector<unsigned char> header = WaveHeader(0);
        return file_.Write(header.data(), header.size());
    }

    bool Append(const float* samples, std::size_t count)
    {
        for (std::size_t i = 0; i < count; ++i) {
            const long value = std::lround(std::clamp(double(samples[i]), -1.0, 1.0) * 32767.0);
            PutLittleEndian(pending_, static_cast<std::uint32_t>(value), 2);
        }
        return pending_.size() < WaveFlushBytes || Flush();
    }

    bool Finish()
    {
        if (!Flush())
            return false;
        const std::vector<unsigned char> header = WaveHeader(dataBytes_);
        return file_.WriteAt(0, header.data(), header.size());
    }

  private:
    bool Flush()
    {
        dataBytes_ += static_cast<std::uint32_t>(pending_.size());
        const bool written = file_.Write(pending_.data(), pending_.size());
        pending_.clear();
        return written;
    }

    ReplacingFile& file_;
    std::vector<unsigned char> pending_;
    std::uint32_t dataBytes_ = 0;
};

std::string WriteFailure(const std::string& path, const ReplacingFile& file)
{
    if (file.SpecialKind())
        return std::string("heulmeister --render-stage: ") + Quoted(path) +
               " ist keine gewöhnliche Datei, sondern " + file.SpecialKind() +
               "; die Aufnahme wird nur in eine Datei geschrieben.";
    return "heulmeister --render-stage: Die Datei " + Quoted(path) +
           " lässt sich nicht schreiben. (System: " + std::strerror(file.ErrorNumber()) + ")";
}

std::size_t BlockCount(double seconds)
{
    return static_cast<std::size_t>(std::ceil(seconds * SampleRateHz / BlockFrames));
}

// A cut acts at the start of a block, so one after the last block's start
// would never act, and would print no line either.
std::string LateCutReason(const StageRenderRequest& request)
{
    const double lastBlockSeconds =
        double((BlockCount(request.seconds) - 1) * BlockFrames) / SampleRateHz;
    for (const StageCut& cut : request.cuts) {
        if (cut.seconds >= request.seconds)
            return "Der Schnitt bei " + Fixed(cut.seconds, 3) +
                   " s liegt nicht vor dem Ende der Aufnahme (" + Fixed(request.seconds, 3) +
                   " s).";
        if (cut.seconds > lastBlockSeconds + CutToleranceSeconds)
            return "Der Schnitt bei " + Fixed(cut.seconds, 3) +
                   " s kommt zu spät: Der letzte Block der Aufnahme beginnt bei " +
                   Fixed(lastBlockSeconds, 3) + " s, ein späterer Schnitt wirkt nicht mehr.";
    }
    return {};
}

// Renders into `output`, then puts it in place; the exit status. The event
// lines go to standard output, and lines lost there (a full disk, say) make
// the run a failure.
int RenderToFile(const StageRenderRequest& request, const FftwFunctions& fftw,
                 ReplacingFile& output)
{
    int printError = 0;
    const auto print = [&printError](const std::string& line) {
        errno = 0;
        if ((std::printf("%s\n", line.c_str()) < 0 || std::fflush(stdout) != 0) && !printError)
            printError = errno != 0 ? errno : EIO;
    };
    WaveWriter wave(output);
    bool writeFailed = !wave.Start();
    const auto write = [&](const float* samples, std::size_t count) {
        writeFailed = writeFailed || !wave.Append(samples, count);
        return !writeFailed && !printError;
    };
    const bool rendered = !writeFailed && RenderStage(request, fftw, print, write);
    if (printError) {
        std::fprintf(stderr,
                     "heulmeister --render-stage: Die Ereigniszeilen lassen sich nicht ausgeben. "
                     "(System: %s)\n",
                     std::strerror(printError));
        return 1;
    }
    if (rendered)
        writeFailed = !wave.Finish() || !output.Commit();
    if (writeFailed) {
        std::fprintf(stderr, "%s\n", WriteFailure(request.outputPath, output).c_str());
        return 1;
    }
    return rendered ? 0 : 1;
}

// "LOW:HIGH", band indices with LOW below HIGH.
std::optional<std::pair<int, int>> ParseRange(const std::string& text)
{
    int low = 0;
    int high = 0;
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos || !ParseWhole(text.substr(0, colon), low) ||
        !ParseWhole(text.substr(colon + 1), high) || low < 0 || high >= BandCount || low >= high)
        return std::nullopt;
    return std::make_pair(low, high);
}

// A cut of -1 to -12 dB.
std::optional<int> ParseAutoCut(const std::string& text)
{
    int db = 0;
    if (!ParseLevel(text, db) || db >= 0 || db < MinLevelDb)
        return std::nullopt;
    return db;
}

// The option at arguments[i] and its value (i moves past it) into
// `request`; the German reason when it is wrong, else empty.
std::string ParseOption(const std::vector<std::string>& arguments, std::size_t& i,
                        StageRenderRequest& request)
{
    const std::string& argument = arguments[i];
    const bool hasValue = i + 1 < arguments.size();
    if (argument == "--no-room") {
        request.withRoom = false;
    } else if (argument == "--seconds") {
        if (!hasValue)
            return "Nach --seconds fehlt die Dauer in Sekunden.";
        if (!ParseDecimal(arguments[++i], request.seconds) || request.seconds <= 0 ||
            request.seconds > LongestSeconds)
            return "Ungültige Dauer " + Quoted(arguments[i]) +
                   ": erwartet werden Sekunden über 0 und höchstens 600.";
    } else if (argument == "--cut") {
        if (!hasValue)
            return "Nach --cut fehlt der Schnitt BAND:DB@SEKUNDEN.";
        if (request.cuts.size() == MostCuts)
            return "Zu viele Schnitte: höchstens " + std::to_string(MostCuts) +
                   " sind möglich, denn jeder wird einzeln am Modell der Bühne beurteilt.";
        const std::optional<StageCut> cut = ParseCut(arguments[++i]);
        if (!cut)
            return "Ungültiger Schnitt " + Quoted(arguments[i]) +
                   ": erwartet wird BAND:DB@SEKUNDEN, BAND 0 bis 27, DB -12 bis 12.";
        request.cuts.push_back(*cut);
    } else if (argument == "--range") {
        const std::string text = hasValue ? arguments[++i] : std::string();
        request.range = ParseRange(text);
        if (!request.range)
            return "Ungültiger Bereich " + Quoted(text) +
                   ": erwartet wird TIEF:HOCH, Bänder 0 bis 27, TIEF unter HOCH.";
    } else if (argument == "--auto-cut") {
        request.autoCutDb = hasValue ? ParseAutoCut(arguments[++i]) : std::nullopt;
        if (!request.autoCutDb)
            return "Ungültiger Schnitt für --auto-cut: erwartet wird DB von -1 bis -12.";
    } else {
        return "Unbekannte Option " + Quoted(argument) + ". " + Usage;
    }
    return {};
}

} // namespace

std::optional<StageRenderRequest> ParseStageArguments(const std::vector<std::string>& arguments,
                                                      std::string* errorText)
{
    const auto fail = [errorText](const std::string& reason) {
        *errorText = "heulmeister --render-stage: " + reason;
        return std::nullopt;
    };
    StageRenderRequest request;
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i].size() > 1 && arguments[i][0] == '-') {
            const std::string reason = ParseOption(arguments, i, request);
            if (!reason.empty())
                return fail(reason);
        } else {
            positional.push_back(arguments[i]);
        }
    }
    if (positional.size() < 2)
        return fail(std::string("Startwert oder Ausgabedatei fehlt. ") + Usage);
    if (positional.size() > 2)
        return fail("Eine Angabe zu viel: " + Quoted(positional[2]) + ". " + Usage);
    if (!ParseWhole(positional[0], request.seed))
        return fail("Ungültiger Startwert " + Quoted(positional[0]) +
                    ": erwartet wird eine ganze Zahl von 0 bis 4294967295.");
    request.outputPath = positional[1];
    if (const std::string reason = LateCutReason(request); !reason.empty())
        return fail(reason);
    std::stable_sort(request.cuts.begin(), request.cuts.end(),
                     [](const StageCut& a, const StageCut& b) { return a.seconds < b.seconds; });
    return request;
}

bool RenderStage(const StageRenderRequest& request, const FftwFunctions& fftw,
                 const std::function<void(const std::string&)>& onEvent,
                 const SampleSink& onSamples)
{
    StageSearch search;
    search.withRoom = request.withRoom;
    search.seedOnly = !request.range;
    if (request.range) {
        search.lowCutBand = request.range->first;
        search.highCutBand = request.range->second;
    }
    std::optional<FoundStage> found = search.Find(fftw, request.seed);
    if (!found) {
        onEvent("kein Bühnenbild: Für die Bänder " + std::to_string(search.lowCutBand + 1) +
                " bis " + std::to_string(search.highCutBand) + " rückkoppelt keine Bühne.");
        return false;
    }
    LoopAnalysis& analysis = *found->analysis;
    onEvent(SceneLine(found->scene));
    RingOutLog log(request, *found, fftw, onEvent);
    log.Gain(0.0);
    log.Start();

    FeedbackLoop loop(found->design, fftw, request.seed);
    loop.SetGainDb(analysis.GainDb());
    const std::size_t blocks = BlockCount(request.seconds);
    // The last block is cut to the length asked for.
    const auto total = static_cast<std::size_t>(std::llround(request.seconds * SampleRateHz));
    std::array<float, BlockFrames> out{};
    std::size_t nextCut = 0;
    for (std::size_t block = 0; block < blocks; ++block) {
        const double seconds = double(block * BlockFrames) / SampleRateHz;
        log.ApplyCuts(seconds, nextCut);
        if (log.LevelsChanged())
            loop.SetLevels(log.Levels());
        loop.SetGainDb(log.GainDb());
        loop.Process(nullptr, out.data());
        log.Measure(out.data(), seconds + double(BlockFrames) / SampleRateHz);
        if (PartitionedConvolver* room = log.TakeTurnedRoom())
            loop.MoveRoom(room);
        const std::size_t first = std::min(total, block * BlockFrames);
        const std::size_t count = std::min<std::size_t>(BlockFrames, total - first);
        if (count > 0 && !onSamples(out.data(), count))
            return false;
    }
    log.Finish(request.seconds);
    return true;
}

int RunRenderStageCommand(const std::vector<std::string>& arguments)
{
    std::string errorText;
    const std::optional<StageRenderRequest> request = ParseStageArguments(arguments, &errorText);
    if (!request) {
        std::fprintf(stderr, "%s\n", errorText.c_str());
        return 2;
    }
    // Before any work: a name that will not be written is refused at once.
    ReplacingFile output;
    if (!output.Open(request->outputPath)) {
        std::fprintf(stderr, "%s\n", WriteFailure(request->outputPath, output).c_str());
        return 1;
    }
    const FftwFunctions* fftw = LoadFftw(&errorText);
    if (!fftw) {
        std::fprintf(stderr, "heulmeister --render-stage: %s\n", errorText.c_str());
        return 1;
    }
    return RenderToFile(*request, *fftw, output);
}

} // namespace stage
