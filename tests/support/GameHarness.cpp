#include "support/GameHarness.h"

#include "display/FaderRenderer.h"
#include "game/FaderView.h"
#include "game/StatusPanel.h"
#include "session/GameFlow.h"
#include "session/StageFlow.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QtTest>

#include <algorithm>

GameHarness::GameHarness()
{
    waveOut.productNames = {QStringLiteral("Testkarte")};
    if (qEnvironmentVariableIsSet("XDG_DATA_HOME"))
        previousDataHome_ = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", dataHome.path().toLocal8Bit());
}

GameHarness::~GameHarness()
{
    // The phase table lists every event the game sends; one it refused is a
    // fault whatever the test checked.
    if (form && form->Game().RefusedEvents() > 0)
        QTest::qFail("the phase table refused an event (see the warning)", __FILE__, __LINE__);
    form.reset(); // records a turn in play into dataHome, not elsewhere
    if (previousDataHome_)
        qputenv("XDG_DATA_HOME", *previousDataHome_);
    else
        qunsetenv("XDG_DATA_HOME");
}

QString GameHarness::JournalPath() const
{
    return dataHome.filePath(QStringLiteral("Heulmeister Pro/journal.sqlite"));
}

QString GameHarness::SettingsPath() const
{
    return programDir.filePath(QStringLiteral("Heulmeister Pro.inf"));
}

bool GameHarness::Start(const QByteArray& settings, const QStringList& arguments)
{
    QFile file(SettingsPath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    file.write(settings);
    file.close();
    return StartAsIs(arguments);
}

bool GameHarness::StartAsIs(const QStringList& arguments)
{
    form = std::make_unique<GameWindow>(
        GameServices{dialogs, clock, random, waveOut, &stagePlayer},
        MainFormPlaces{programDir.path(), programDir.path(), arguments});
    if (!form->StartUp())
        return false;
    form->ShowCoveringScreen();
    if (!QTest::qWaitForWindowActive(&form->form))
        return false;
    return QTest::qWaitFor([this] { return form->Renderer().HasFaderImage(); });
}

QPoint GameHarness::FaderPoint(int fader, int level) const
{
    const FaderGeometry& g = form->Renderer().Geometry();
    const int column = fader == VolumeFader ? 30 : fader + 1;
    // The geometry is in device pixels, the widget's events in logical ones.
    const qreal ratio = form->Fader()->devicePixelRatioF();
    return QPoint(int((column + 0.5) * g.ColumnWidth / ratio),
                  int((g.TrackTop + (12.5 - level) * g.StepPitch) / ratio));
}

void GameHarness::ClickFader(int fader, Qt::MouseButton button)
{
    QTest::mouseClick(form->Fader(), button, {}, FaderPoint(fader));
    WaitForStage();
}

void GameHarness::DragTo(int level, bool waitForStage)
{
    const QPoint at = FaderPoint(0, level);
    QMouseEvent move(QEvent::MouseMove, at, form->Fader()->mapToGlobal(at), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form->Fader(), &move);
    if (waitForStage)
        WaitForStage();
}

void GameHarness::ClickStart()
{
    PressStart();
    if (!QTest::qWaitFor([this] { return Game().Phase() != TurnPhase::StageBuilding; }, 60000))
        qWarning("the stage was not built within 60 s");
}

void GameHarness::PressStart()
{
    QTest::mouseClick(Panel()->pStart, Qt::LeftButton);
}

void GameHarness::ClickNewGame()
{
    QTest::mouseClick(Panel()->pNeu, Qt::LeftButton);
}

bool GameHarness::TriggerMenuItem(const QString& path)
{
    QList<QAction*> items = form->form.menuBar()->actions();
    QAction* item = nullptr;
    for (const QString& name : path.split(QLatin1Char('/'))) {
        const auto named = std::find_if(items.begin(), items.end(), [&](QAction* action) {
            return action->text().remove(QLatin1Char('&')) == name;
        });
        if (named == items.end())
            return false;
        item = *named;
        if (item->menu())
            items = item->menu()->actions();
    }
    if (!item || !item->isEnabled())
        return false;
    item->trigger();
    return true;
}

void GameHarness::Key(Qt::Key key)
{
    QTest::keyClick(&form->form, key);
    WaitForStage();
}

void GameHarness::RiseStageGain()
{
    Game().gainTimerTimer();
    WaitForStage();
}

void GameHarness::WaitForStage()
{
    const auto answered = [this] {
        if (!QTest::qWaitFor([this] { return !Game().Stage().Judging(); }, 60000))
            qWarning("the stage's loop analysis did not answer within 60 s");
    };
    answered();
    // A stop is heard: play on, the clock keeping pace, until the sound says.
    for (int tick = 0; tick < 20 && Game().Stage().StopPending() && stagePlayer.Playing(); ++tick) {
        stagePlayer.Run(0.07);
        clock.Advance(70);
        Game().Timer1Timer();
        answered();
    }
}

void GameHarness::StartTurnRinging(int draw)
{
    random.values = {draw, 45};
    ClickStart();
}

int GameHarness::Calls(const QString& operation) const
{
    int count = 0;
    for (const FakeWaveOut::Call& call : waveOut.calls)
        count += call.operation == operation;
    return count;
}

QStringList GameHarness::Labels()
{
    Game().Timer1Timer();
    return {Panel()->Label1->text(), Panel()->Label2->text(), Panel()->Label3->text()};
}
