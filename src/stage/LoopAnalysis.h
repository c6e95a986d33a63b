#pragma once
// The loop's open-loop transfer function L(s) = G M(z) E(z) W(z) R(z), z = e^s,
// from the very coefficients and room taps the loop runs on (microphone M,
// EQ E, wedge W, room R), and the closed-loop poles: the roots of
// 1 - L(z) = 0, found by Newton's method in s off the unit circle. A pole's
// real part is its growth per sample, its imaginary part its frequency.
// Doubles throughout; no part of it runs on the audio thread.

#include "stage/FeedbackLoop.h"

#include <complex>
#include <functional>
#include <optional>
#include <vector>

namespace stage {

struct LoopPole {
    std::complex<double> s; // per sample
    double FrequencyHz() const;
    double GrowthDbPerSecond() const;
};

// What a change of the EQ does to a howl.
struct PoleForecast {
    LoopPole pole;            // the howl's pole, followed through the change
    double growthDbPerSecond; // the envelope's rate from now on
    bool roomDecay;           // true when the room's own decay sets that rate
};

// What an engineer ringing out the stage meets: each howl's band, cut then
// by the same amount, the gain rising in 1 dB steps in between.
struct RingOut {
    std::vector<int> bands;
    double firstGainDb = 0;
    double gainWonDb = 0; // at the last howl, over the first
};

// Two growing poles further apart than a third of an octave are two howls
// in two bands; closer, one howl that a cut of its band takes with it.
constexpr double RivalApartRatio = 1.2599;

struct PoleSurvey {
    std::optional<LoopPole> dominant;
    // The fastest pole that grows too, RivalApartRatio or more from the
    // dominant, at half its rate or more.
    std::optional<LoopPole> rival;
};

class LoopAnalysis {
  public:
    LoopAnalysis(const LoopDesign& design, const FftwFunctions& fftw);

    void SetGainDb(double gainDb) { gainDb_ = gainDb; }
    double GainDb() const { return gainDb_; }
    void SetLevels(const BandLevels& levelsDb);
    const BandLevels& Levels() const { return levelsDb_; }

    struct Value {
        std::complex<double> openLoop;
        std::complex<double> logDerivative; // d ln L / ds
    };
    Value At(std::complex<double> s) const;
    double OpenLoopGainDb(double frequencyHz) const;
    // The largest open-loop gain between each pair of neighbouring edges, dB:
    // the envelope over the room's dense peaks, as one would draw it.
    std::vector<double> PeakOpenLoopGainDb(const std::vector<double>& edgesHz);
    // The open loop's group delay, -d(phase)/d(omega).
    double GroupDelayMs(double frequencyHz) const;
    // After a deep cut the howl's energy is left to the room: it dies with the
    // room's own decay, -60 dB per RT60 (-infinity without a room).
    double RoomDecayDbPerSecond(double frequencyHz) const;

    // The root of 1 - L nearest `start`, if Newton's method settles.
    std::optional<LoopPole> Refine(std::complex<double> start) const;
    // The pole with the largest real part, searched from the frequencies
    // where L's phase crosses zero with the largest |L|.
    std::optional<LoopPole> DominantPole() { return SurveyPoles().dominant; }
    // The same search, and a second howl that grows beside it.
    PoleSurvey SurveyPoles();
    // The open loop's largest gain (dB, with G) and where it lies, from the
    // grid: cheap, the pole's place to within the grid's few millihertz.
    double PeakGainDb();
    double PeakFrequencyHz();
    // Raises G from where the open loop's peak is 0 dB until the dominant
    // pole grows at the design's first growth rate; sets G and returns
    // the poles there.
    PoleSurvey ChooseGainDb();
    // From the faders and G as they stand, `howls` howls each cut by
    // `cutDb` in its band (down to -12), from the grid alone: a quick screen.
    // Leaves the levels and G as they were.
    RingOut PlanRingOut(int howls, double cutDb);
    // The room after the k-th stop when the singer turns then, else none.
    using SingerRooms = std::function<std::optional<LoopDesign>(int stops)>;
    // The same as the stage plays it: from `first`, each howl the dominant
    // pole, cut by `cutDb` in its band, the singer turning where `singerRoom`
    // says, G rising by RiseGainDb in between until the next one grows at
    // SlowestHowlDbPerSecond. Leaves the room, the levels and G as they were.
    RingOut FollowRingOut(const LoopPole& first, int howls, double cutDb,
                          const SingerRooms& singerRoom = {});
    // The singer turned: the loop runs through `design`'s room from now on.
    // G comes down, in 1 dB steps and by no more than the loop's peak rose,
    // only while a howl the turn sets off would grow faster than
    // FastestHowlDbPerSecond, as an engineer pulls the gain when a singer
    // turns into the wedge; returns that change, dB.
    double MoveRoom(const LoopDesign& design);
    // One rise of G while nothing howls: 1 dB, or 0.75 or 0.5 dB where 1 dB
    // would make the next howl grow faster than FastestHowlDbPerSecond or
    // with a rival. Sets G; returns the poles there.
    PoleSurvey RiseGainDb();
    // Follows `howl` while the EQ moves to `levelsDb` (in small steps, Newton
    // from the last root), and sets those levels.
    PoleForecast Follow(const LoopPole& howl, const BandLevels& levelsDb);

  private:
    void UpdateGrid();
    void TakeRoom(const LoopDesign& design);

    const FftwFunctions& fftw_;
    LoopDesign design_;
    std::vector<BiquadCoefficients> eqSections_;
    BandLevels levelsDb_{};
    double gainDb_ = 0;
    int gridSize_ = 0;
    std::vector<std::complex<double>> fixedGrid_; // M W R on the unit circle
    std::vector<std::complex<double>> grid_;      // M E W R
    BandLevels gridLevelsDb_{};                   // the levels grid_ holds
    bool gridCurrent_ = false;
};

} // namespace stage
