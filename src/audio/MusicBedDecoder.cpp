#include "audio/MusicBedDecoder.h"

#include "audio/SoundFileLibraries.h"
#include "platform/RegularFile.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <memory>
#include <new>
#include <vector>

namespace {

constexpr sf_count_t ChunkFrames = 8192;

struct SndfileCloser {
    const SoundFileLibraries* lib;
    void operator()(SNDFILE* file) const { lib->close(file); }
};
struct ResamplerDeleter {
    const SoundFileLibraries* lib;
    void operator()(SRC_STATE* state) const { lib->deleteResampler(state); }
};

// The player's words first; the library's own, which name the detail, in
// brackets after them.
QString WithLibraryWords(const QString& reason, const char* library, const char* words)
{
    return QStringLiteral("%1 (%2: %3)")
        .arg(reason, QLatin1String(library), QString::fromUtf8(words).trimmed());
}

QString OpenErrorText(const SoundFileLibraries& lib)
{
    QString reason;
    switch (lib.error(nullptr)) {
    case SF_ERR_UNRECOGNISED_FORMAT:
        reason = QCoreApplication::translate("MusicBedDecoder", "Das Dateiformat ist unbekannt.");
        break;
    case SF_ERR_MALFORMED_FILE:
        reason = QCoreApplication::translate("MusicBedDecoder", "Die Datei ist beschädigt.");
        break;
    case SF_ERR_UNSUPPORTED_ENCODING:
        reason = QCoreApplication::translate("MusicBedDecoder",
                                             "Die Kodierung der Datei wird nicht unterstützt.");
        break;
    case SF_ERR_SYSTEM:
        reason =
            QCoreApplication::translate("MusicBedDecoder", "Die Datei kann nicht gelesen werden.");
        break;
    default:
        reason =
            QCoreApplication::translate("MusicBedDecoder", "Die Datei kann nicht geöffnet werden.");
        break;
    }
    return WithLibraryWords(reason, "libsndfile", lib.errorText(nullptr));
}

QString ResamplerErrorText(const SoundFileLibraries& lib, int error)
{
    return WithLibraryWords(QCoreApplication::translate(
                                "MusicBedDecoder", "Die Umrechnung auf 48 kHz ist fehlgeschlagen."),
                            "libsamplerate", lib.resamplerErrorText(error));
}

// Everything the decoder needs to ask before the library opens the file,
// with the player's words for it.
QString CheckFile(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QCoreApplication::translate("MusicBedDecoder", "Die Datei ist nicht vorhanden.");
    if (info.isDir())
        return QCoreApplication::translate("MusicBedDecoder", "Das ist ein Ordner, keine Datei.");
    if (!info.isReadable())
        return QCoreApplication::translate("MusicBedDecoder",
                                           "Die Datei darf nicht gelesen werden.");
    return {};
}

void MixToMono(const std::vector<float>& frames, sf_count_t count, int channels,
               std::vector<float>& mono)
{
    for (sf_count_t f = 0; f < count; ++f) {
        float sum = 0.0f;
        for (int c = 0; c < channels; ++c)
            sum += frames[static_cast<std::size_t>(f * channels + c)];
        mono[static_cast<std::size_t>(f)] = sum / static_cast<float>(channels);
    }
}

// Converts `count` samples of `mono` and appends them to `output`; the
// library's error code, 0 when it worked.
int Resample(const SoundFileLibraries& lib, SRC_STATE* resampler, std::vector<float>& mono,
             sf_count_t count, double ratio, bool endOfInput, std::vector<float>& converted,
             std::vector<float>& output)
{
    // The converter may not take the whole chunk at once; feed it the rest.
    SRC_DATA data{};
    data.data_in = mono.data();
    data.input_frames = static_cast<long>(count);
    data.src_ratio = ratio;
    data.end_of_input = endOfInput ? 1 : 0;
    do {
        data.data_out = converted.data();
        data.output_frames = static_cast<long>(converted.size());
        if (const int error = lib.process(resampler, &data); error != 0)
            return error;
        output.insert(output.end(), converted.begin(), converted.begin() + data.output_frames_gen);
        data.data_in += data.input_frames_used;
        data.input_frames -= data.input_frames_used;
    } while (data.input_frames > 0 || (endOfInput && data.output_frames_gen > 0));
    return 0;
}

MusicBedResult Decode(const QString& path, const std::atomic<bool>& cancelled)
{
    if (QString problem = CheckFile(path); !problem.isEmpty())
        return {nullptr, problem};
    // A pipe or a device would keep the decoding waiting for as long as
    // nothing writes into it.
    const ReadOnlyFile opened(path);
    if (!opened.IsOpen())
        return {nullptr, opened.Reason()};
    QString missing;
    const SoundFileLibraries* lib = LoadSoundFileLibraries(&missing);
    if (!lib)
        return {nullptr, missing};

    SF_INFO info{};
    std::unique_ptr<SNDFILE, SndfileCloser> file(
        lib->openDescriptor(opened.Descriptor(), SFM_READ, &info, SF_FALSE), SndfileCloser{lib});
    if (!file)
        return {nullptr, OpenErrorText(*lib)};
    if (info.channels <= 0 || info.samplerate <= 0)
        return {nullptr, QCoreApplication::translate("MusicBedDecoder",
                                                     "Die Datei nennt keine gültige Abtastrate.")};

    const double ratio = static_cast<double>(SampleRate) / info.samplerate;
    const bool resample = info.samplerate != SampleRate;
    int error = 0;
    std::unique_ptr<SRC_STATE, ResamplerDeleter> resampler(nullptr, ResamplerDeleter{lib});
    if (resample) {
        resampler.reset(lib->newResampler(SRC_SINC_MEDIUM_QUALITY, 1, &error));
        if (!resampler)
            return {nullptr, ResamplerErrorText(*lib, error)};
    }

    std::vector<float> frames(static_cast<std::size_t>(ChunkFrames) * info.channels);
    std::vector<float> mono(ChunkFrames);
    std::vector<float> converted(static_cast<std::size_t>(ChunkFrames * ratio) + 256);
    std::vector<float> output;
    output.reserve(std::min<std::size_t>(
        MusicBedMaxSamples,
        static_cast<std::size_t>(std::max<sf_count_t>(info.frames, 0) * ratio) + 1024));

    bool endOfInput = false;
    while (!endOfInput && output.size() < MusicBedMaxSamples) {
        if (cancelled.load(std::memory_order_relaxed))
            return {};
        const sf_count_t read = lib->readFloatFrames(file.get(), frames.data(), ChunkFrames);
        if (read < ChunkFrames) {
            if (lib->error(file.get()) != SF_ERR_NO_ERROR)
                return {nullptr,
                        WithLibraryWords(QCoreApplication::translate(
                                             "MusicBedDecoder",
                                             "Die Datei ist nach %1 Sekunden nicht mehr lesbar.")
                                             .arg(output.size() / SampleRate),
                                         "libsndfile", lib->errorText(file.get()))};
            endOfInput = true;
        }
        MixToMono(frames, read, info.channels, mono);
        if (!resample) {
            output.insert(output.end(), mono.begin(), mono.begin() + read);
            continue;
        }
        error = Resample(*lib, resampler.get(), mono, read, ratio, endOfInput, converted, output);
        if (error != 0)
            return {nullptr, ResamplerErrorText(*lib, error)};
    }
    if (output.size() > MusicBedMaxSamples)
        output.resize(MusicBedMaxSamples);
    if (output.size() < MinimumBedSamples)
        return {nullptr, QCoreApplication::translate(
                             "MusicBedDecoder", "Die Datei enthält weniger als eine Sekunde Ton.")};

    auto bed = MakeBedLoop(std::move(output));
    if (!bed)
        return {nullptr,
                QCoreApplication::translate("MusicBedDecoder", "Die Datei enthält nur Stille.")};
    return {std::move(bed), {}};
}

} // namespace

MusicBedResult DecodeMusicBed(const QString& path, const std::atomic<bool>& cancelled)
{
    try {
        return Decode(path, cancelled);
    } catch (const std::bad_alloc&) {
        return {nullptr, QCoreApplication::translate(
                             "MusicBedDecoder", "Der Arbeitsspeicher reicht dafür nicht aus.")};
    }
}
