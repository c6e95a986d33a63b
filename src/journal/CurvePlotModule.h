#pragma once
// The learning curve's plot is drawn with Qt Charts, which lives in a module
// of its own (heulmeister-curveplot.so) loaded when the window first opens:
// Qt Charts and the OpenGL libraries it pulls in stay out of the program's
// start. Thread: GUI only.

#include "journal/JournalStats.h"
#include "model/StageResponse.h"

#include <QString>
#include <QStringList>

class QWidget;

// What the module exports (C linkage, so the name is stable): a plot of the
// days of `curve`, owned by `parent`.
using CreateCurvePlotFunction = QWidget* (*)(const LearningCurve& curve, QWidget* parent);
inline constexpr char CurvePlotFactoryName[] = "heulmeister_create_curve_plot";
inline constexpr char CurvePlotModuleFile[] = "heulmeister-curveplot.so";

// Where the module is looked for: by default the program's folder (a build
// tree) and programDir/../lib/heulmeister (an installed program). Tests and
// benchmarks, which run from other folders, name the build tree here.
// Thread: GUI, before any window opens.
void SetCurvePlotSearchPath(const QStringList& folders);
QStringList CurvePlotSearchPath();

// Loads the module once; nullptr with the reason when it is not there.
// Thread: any (the journal's thread loads it, so the window does not wait).
CreateCurvePlotFunction LoadCurvePlot(QString* errorText);

// The same module draws the stage's loop gain ("Bühne: Frequenzgang ...").
using CreateStagePlotFunction = QWidget* (*)(const StageResponse& response, QWidget* parent);
inline constexpr char StagePlotFactoryName[] = "heulmeister_create_stage_plot";
// Thread: any.
CreateStagePlotFunction LoadStagePlot(QString* errorText);
