#pragma once
// The texts of the three status lines, from the mode and the counters. The
// 70 ms timer only assigns them. Thread: any (pure).

#include "model/GameState.h"

#include <QLocale>
#include <QString>
#include <QtGlobal>
#include <cstdint>

struct StatusLine {
    bool write = false; // false: leave the label as it is
    QString text;
};

struct StatusLines {
    StatusLine Label1;
    StatusLine Label2;
    StatusLine Label3;
};

// The line under "Neues Spiel" while no game runs; the German source of its
// translation in the context "StatusLines".
inline constexpr char IdleNotice[] =
    QT_TRANSLATE_NOOP("StatusLines", "Klicke START, um eine Runde zu beginnen.");

StatusLines ComposeStatusLines(const GameState& state, std::uint32_t nowMs, const QLocale& locale);
