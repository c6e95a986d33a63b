#include "support/SoundFiles.h"

#include <QFile>
#include <cmath>
#include <numbers>
#include <vector>

bool WriteTwoSines(const QString& path, int format, int rate, double seconds, double leftHz,
                   double leftAmplitude, double rightHz, double rightAmplitude)
{
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 2;
    info.format = format;
    SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!file)
        return false;
    const auto frames = static_cast<std::size_t>(seconds * rate);
    std::vector<float> data(frames * 2);
    for (std::size_t n = 0; n < frames; ++n) {
        const double t = static_cast<double>(n) / rate;
        data[2 * n] =
            static_cast<float>(leftAmplitude * std::sin(2 * std::numbers::pi * leftHz * t));
        data[2 * n + 1] =
            static_cast<float>(rightAmplitude * std::sin(2 * std::numbers::pi * rightHz * t));
    }
    const bool written = sf_writef_float(file, data.data(), static_cast<sf_count_t>(frames)) ==
                         static_cast<sf_count_t>(frames);
    return sf_close(file) == 0 && written;
}
