// Cost of drawing the fader bank, whole and only where one level step changed
// it, against one plain copy of a frame of the same size. The renderer alone,
// into an image; bench_drag measures the way through the window.
// Run: ./build/bench/bench_render [--save picture.png]

#include "display/FaderRenderer.h"
#include "model/FaderModel.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Microseconds(const std::function<void()>& work)
{
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

double Median(std::vector<double> samples)
{
    std::nth_element(samples.begin(), samples.begin() + samples.size() / 2, samples.end());
    return samples[samples.size() / 2];
}

GameState BenchState(GameModeValue mode)
{
    GameState state;
    for (int band = 0; band < BandCount; ++band) {
        SetBandLabel(state.BandTable[band], QString::fromLatin1(BandDefinitions[band].label));
        state.BandTable[band].Locked = (band < state.LowCutBand || band > state.HighCutBand);
        state.BandTable[band].Level = (band * 7) % 25 - 12;
    }
    state.GameMode = mode;
    state.RingingBand = 15;
    state.ToneFrequency = 1012.5;
    return state;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const char* savePath = (argc == 3 && std::strcmp(argv[1], "--save") == 0) ? argv[2] : nullptr;

    struct Case {
        QSize size;
        int runs;
    };
    const Case cases[] = {{{1280, 900}, 400}, {{1920, 1080}, 300}, {{3840, 2160}, 120}};
    std::printf("%-10s %-10s %12s %12s %12s %10s %10s\n", "size", "mode", "full us", "step us",
                "memcpy us", "full/cp", "step/cp");
    for (const Case& c : cases) {
        FaderRenderer renderer;
        renderer.FormResize(c.size, 96);
        const size_t frameBytes = size_t(c.size.width()) * c.size.height() * 4;
        std::vector<unsigned char> source(frameBytes, 1), target(frameBytes);
        QImage frame(c.size, QImage::Format_ARGB32_Premultiplied);
        for (GameModeValue mode : {ModeSearching, ModeTurnOver}) {
            GameState state = BenchState(mode);
            // The three are measured in turns, so a busy machine slows all alike.
            std::vector<double> copyUs, fullUs, stepUs;
            for (int run = 0; run < c.runs; ++run) {
                // Each frame moves one level, as a drag does.
                const FaderPictureContent before = renderer.Content(state);
                BandSlot& moved = state.BandTable[run % BandCount];
                moved.Level = moved.Level == MaxLevel ? MinLevel : moved.Level + 1;
                const QRegion changed = renderer.ChangedArea(before, renderer.Content(state));
                source[run % frameBytes] = static_cast<unsigned char>(run);
                copyUs.push_back(
                    Microseconds([&] { std::memcpy(target.data(), source.data(), frameBytes); }));
                fullUs.push_back(Microseconds([&] {
                    QPainter painter(&frame);
                    renderer.Paint(painter, QRegion(frame.rect()), state);
                }));
                stepUs.push_back(Microseconds([&] {
                    QPainter painter(&frame);
                    painter.setClipRegion(changed);
                    renderer.Paint(painter, changed, state);
                }));
            }
            const double copy = Median(copyUs);
            const double full = Median(fullUs);
            const double step = Median(stepUs);
            std::printf("%4dx%-5d %-10s %12.0f %12.0f %12.0f %10.2f %10.2f\n", c.size.width(),
                        c.size.height(), mode == ModeSearching ? "searching" : "turnover", full,
                        step, copy, full / copy, step / copy);
            if (savePath && c.size == QSize(1280, 900) && mode == ModeTurnOver) {
                state.SelectedFader = 16;
                renderer.FaderPaint(state).save(QString::fromLocal8Bit(savePath));
            }
        }
        // Keeps the copies from being optimised away.
        if (target[frameBytes / 2] == 255)
            std::printf(" ");
    }
    return 0;
}
