// Peak resident memory of heulmeister --render-stage for a 60 s and a 600 s
// render, beside the size of the file each writes (what holding the whole
// file would cost at least). The render streams its file, so the goal is the
// same peak for both lengths.

#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr double GoalGrowth = 1.1; // the 600 s render's peak against the 60 s one's

struct Figure {
    bool ok = false;
    double peakMb = 0;
    double fileMb = 0;
};

// Runs the renderer as a child of its own, so its peak is its own alone.
Figure PeakOfRender(const std::string& output, const char* seconds)
{
    const pid_t child = fork();
    if (child == 0) {
        if (std::freopen("/dev/null", "w", stdout) == nullptr)
            _exit(127);
        execl(HEULMEISTER_BINARY, HEULMEISTER_BINARY, "--render-stage", "1", output.c_str(),
              "--seconds", seconds, static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return {};
    return {true, double(usage.ru_maxrss) / 1024.0,
            double(QFileInfo(QString::fromStdString(output)).size()) / (1024.0 * 1024.0)};
}

} // namespace

int main()
{
    QTemporaryDir folder;
    const std::string output = folder.filePath(QStringLiteral("render.wav")).toStdString();
    const Figure minute = PeakOfRender(output, "60");
    const Figure tenMinutes = PeakOfRender(output, "600");
    if (!minute.ok || !tenMinutes.ok) {
        std::printf("render failed\n");
        return 1;
    }
    std::printf("Peak resident memory of --render-stage (seed 1), beside the file it writes:\n");
    std::printf("   60 s render  %6.1f MB   file %6.1f MB (reference)\n", minute.peakMb,
                minute.fileMb);
    std::printf("  600 s render  %6.1f MB   file %6.1f MB (reference); %.2f x the 60 s peak "
                "(goal <= %.1f x)\n",
                tenMinutes.peakMb, tenMinutes.fileMb, tenMinutes.peakMb / minute.peakMb,
                GoalGrowth);
    return 0;
}
