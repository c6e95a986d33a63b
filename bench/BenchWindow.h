#pragma once
// What the benchmarks that drive the game's window share: boxes answered at
// once, a count of paints, waits that sleep, and a round trip to the X server.

#include "platform/Dialogs.h"

#include "BenchSupport.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDebug>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QPaintEvent>
#include <QTimer>

#include <cstdint>
#include <cstdlib>
#include <functional>

#include <xcb/xcb.h>

namespace bench {

// Answers every box with its default button at once.
class AcceptingDialogs final : public Dialogs {
  public:
    DialogResult MessageBox(const MessageBoxRequest& request) override
    {
        return request.defaultButton;
    }
    QString OpenFileName(const FileDialogRequest&) override { return {}; }
    QString SaveFileName(const FileDialogRequest&) override { return {}; }
};

// Counts the paints of the widgets it filters; BENCH_SHOW_REGIONS prints the
// first regions.
class PaintCounter final : public QObject {
  public:
    int paints = 0;
    std::int64_t lastPaintNs = 0;

  protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            ++paints;
            lastPaintNs = MonotonicNs();
            if (qEnvironmentVariableIsSet("BENCH_SHOW_REGIONS") && paints < 12)
                qDebug() << static_cast<QPaintEvent*>(event)->region();
        }
        return false;
    }
};

// Runs the event loop until `done`, sleeping while there is nothing to do (a
// spinning wait would be counted as the program's CPU), looking every `wakeMs`.
inline bool WaitFor(const std::function<bool()>& done, int timeoutMs = 10000, int wakeMs = 20)
{
    QElapsedTimer timer;
    timer.start();
    QTimer wake;
    wake.start(wakeMs);
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// Waits until the X server has handled everything sent so far.
inline void RoundTrip()
{
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (xcb_connection_t* x = x11 ? x11->connection() : nullptr)
        std::free(xcb_get_input_focus_reply(x, xcb_get_input_focus(x), nullptr));
}

} // namespace bench
