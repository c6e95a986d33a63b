#include "game/MainMenu.h"

#include "model/FaderModel.h"
#include "model/GameState.h"

#include <QAction>
#include <QActionGroup>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>

MainMenu::MainMenu(QMenuBar* bar, GameState& state, FaderModel& faders, QObject* parent)
    : QObject(parent), settings_(state), state_(state), faders_(faders)
{
    BuildDatei(bar);
    BuildSpielablauf(bar);
    BuildEinstellung(bar);
    BuildAuswertung(bar);
    BuildHilfe(bar);
}

void MainMenu::ApplyStartupChecks()
{
    MarkValue(randomStartGroup_, state_.RandomStartSeconds);
    MarkValue(autoRestartGroup_, state_.AutoRestartSeconds);
}

void MainMenu::SetSoundCardCount(int deviceCount)
{
    actions_.Soundkarte->setEnabled(deviceCount > 1);
}

void MainMenu::SetStoredResultsAvailable(bool available)
{
    actions_.Total->setEnabled(available);
    actions_.Fortschritt->setEnabled(available);
}

QMenu* MainMenu::AddMenu(QMenuBar* bar, const char* title)
{
    // Owned by the bar, so the menus go with the window.
    auto* menu = new QMenu(QCoreApplication::translate("MainMenu", title), bar);
    bar->addMenu(menu);
    return menu;
}

QMenu* MainMenu::AddSubmenu(QMenu* parent, const char* title)
{
    auto* menu = new QMenu(QCoreApplication::translate("MainMenu", title), parent);
    parent->addMenu(menu);
    return menu;
}

QAction* MainMenu::AddItem(QMenu* menu, const char* caption)
{
    return menu->addAction(QCoreApplication::translate("MainMenu", caption));
}

QActionGroup* MainMenu::AddValueItems(QMenu* menu, std::initializer_list<ValueItem> items,
                                      void (MainMenu::*onChosen)(int))
{
    auto* group = new QActionGroup(menu);
    group->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    for (const ValueItem& item : items) {
        if (item.caption == nullptr) {
            menu->addSeparator();
            continue;
        }
        QAction* action = AddItem(menu, item.caption);
        action->setCheckable(true);
        action->setData(item.tag);
        group->addAction(action);
        const int tag = item.tag;
        connect(action, &QAction::triggered, this, [this, group, onChosen, tag] {
            KeepMark(group);
            (this->*onChosen)(tag);
        });
    }
    return group;
}

void MainMenu::MarkValue(QActionGroup* group, int value)
{
    for (QAction* action : group->actions()) {
        if (action->data().toInt() == value) {
            action->setChecked(true); // the group clears the others
            marks_[group] = action;
            return;
        }
    }
}

void MainMenu::KeepMark(QActionGroup* group)
{
    if (QAction* mark = marks_.value(group)) {
        mark->setChecked(true);
    } else if (QAction* clicked = group->checkedAction()) {
        clicked->setChecked(false);
    }
}

void MainMenu::MarkOnOpen(QMenu* menu, QActionGroup* group, const std::int32_t& value)
{
    connect(menu, &QMenu::aboutToShow, this, [this, group, &value] { MarkValue(group, value); });
}

void MainMenu::BuildDatei(QMenuBar* bar)
{
    QMenu* datei = AddMenu(bar, QT_TRANSLATE_NOOP("MainMenu", "Datei"));
    actions_.Laden = AddItem(datei, QT_TRANSLATE_NOOP("MainMenu", "Laden"));
    actions_.Speichern = AddItem(datei, QT_TRANSLATE_NOOP("MainMenu", "Speichern"));
    actions_.Speichern->setEnabled(false);
    actions_.SpeichernUnter = AddItem(datei, QT_TRANSLATE_NOOP("MainMenu", "Speichern unter"));
    actions_.SpeichernUnter->setEnabled(false);
    datei->addSeparator();
    actions_.Beenden = AddItem(datei, QT_TRANSLATE_NOOP("MainMenu", "Beenden"));
    connect(actions_.Beenden, &QAction::triggered, this, &MainMenu::quitRequested);
}

void MainMenu::BuildSpielablauf(QMenuBar* bar)
{
    QMenu* spielablauf = AddMenu(bar, QT_TRANSLATE_NOOP("MainMenu", "Spielablauf"));

    QMenu* feedbackZeit = AddSubmenu(spielablauf, QT_TRANSLATE_NOOP("MainMenu", "Feedback Zeit"));
    feedbackTimeGroup_ = AddValueItems(feedbackZeit,
                                       {{QT_TRANSLATE_NOOP("MainMenu", "0.5 Sekunden"), 1},
                                        {QT_TRANSLATE_NOOP("MainMenu", "1 Sekunden"), 2},
                                        {QT_TRANSLATE_NOOP("MainMenu", "2 Sekunden"), 3},
                                        {QT_TRANSLATE_NOOP("MainMenu", "3 Sekunden"), 4},
                                        {QT_TRANSLATE_NOOP("MainMenu", "4 Sekunden"), 5},
                                        {QT_TRANSLATE_NOOP("MainMenu", "5 Sekunden"), 6},
                                        {nullptr, 0},
                                        {QT_TRANSLATE_NOOP("MainMenu", "Kontinuierlich"), 0}},
                                       &MainMenu::ChooseFeedbackTime);
    MarkOnOpen(feedbackZeit, feedbackTimeGroup_, state_.FeedbackTimeSetting);
    spielablauf->addSeparator();

    QMenu* zufallsstart = AddSubmenu(spielablauf, QT_TRANSLATE_NOOP("MainMenu", "Zufallsstart"));
    randomStartGroup_ = AddValueItems(zufallsstart,
                                      {{QT_TRANSLATE_NOOP("MainMenu", "Aus"), 0},
                                       {QT_TRANSLATE_NOOP("MainMenu", "2 sek"), 2},
                                       {QT_TRANSLATE_NOOP("MainMenu", "4 sek"), 4},
                                       {QT_TRANSLATE_NOOP("MainMenu", "6 sek "), 6},
                                       {QT_TRANSLATE_NOOP("MainMenu", "10 sek"), 10},
                                       {QT_TRANSLATE_NOOP("MainMenu", "20 sek"), 20}},
                                      &MainMenu::ChooseRandomStart);
    MarkValue(randomStartGroup_, 0);
    MarkOnOpen(zufallsstart, randomStartGroup_, state_.RandomStartSeconds);
    spielablauf->addSeparator();

    QMenu* neustart =
        AddSubmenu(spielablauf, QT_TRANSLATE_NOOP("MainMenu", "Automatischer Neustart"));
    autoRestartGroup_ = AddValueItems(neustart,
                                      {{QT_TRANSLATE_NOOP("MainMenu", "Aus"), 0},
                                       {QT_TRANSLATE_NOOP("MainMenu", "Nach 1 Sekunde"), 1},
                                       {QT_TRANSLATE_NOOP("MainMenu", "Nach 2 Sekunden"), 2},
                                       {QT_TRANSLATE_NOOP("MainMenu", "Nach 3 Sekunden"), 3},
                                       {QT_TRANSLATE_NOOP("MainMenu", "Nach 5 Sekunden"), 5}},
                                      &MainMenu::ChooseAutoRestart);
    MarkValue(autoRestartGroup_, 0);
    MarkOnOpen(neustart, autoRestartGroup_, state_.AutoRestartSeconds);
    spielablauf->addSeparator();

    // A radio item of its own; optional so that it can also show "off".
    actions_.Feedbackgenerator =
        AddItem(spielablauf, QT_TRANSLATE_NOOP("MainMenu", "Feedbackgenerator"));
    actions_.Feedbackgenerator->setCheckable(true);
    auto* generatorGroup = new QActionGroup(spielablauf);
    generatorGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    generatorGroup->addAction(actions_.Feedbackgenerator);
    connect(actions_.Feedbackgenerator, &QAction::triggered, this, [this](bool checked) {
        // The generator decides whether it goes on or off, from the mark as it was.
        actions_.Feedbackgenerator->setChecked(!checked);
        emit feedbackGeneratorTriggered();
    });
}

void MainMenu::BuildEinstellung(QMenuBar* bar)
{
    QMenu* einstellung = AddMenu(bar, QT_TRANSLATE_NOOP("MainMenu", "Einstellung"));

    QMenu* lowcut = AddSubmenu(einstellung, QT_TRANSLATE_NOOP("MainMenu", "Lowcut"));
    QActionGroup* lowcutGroup = AddValueItems(lowcut,
                                              {{QT_TRANSLATE_NOOP("MainMenu", "31.5 Hz"), 1},
                                               {QT_TRANSLATE_NOOP("MainMenu", "40 Hz"), 2},
                                               {QT_TRANSLATE_NOOP("MainMenu", "50 Hz"), 3},
                                               {QT_TRANSLATE_NOOP("MainMenu", "62.5 Hz"), 4},
                                               {QT_TRANSLATE_NOOP("MainMenu", "80 Hz"), 5},
                                               {QT_TRANSLATE_NOOP("MainMenu", "100 Hz"), 6},
                                               {QT_TRANSLATE_NOOP("MainMenu", "125 Hz"), 7},
                                               {QT_TRANSLATE_NOOP("MainMenu", "160 Hz"), 8},
                                               {QT_TRANSLATE_NOOP("MainMenu", "200 Hz"), 9},
                                               {QT_TRANSLATE_NOOP("MainMenu", "250 Hz"), 10},
                                               {QT_TRANSLATE_NOOP("MainMenu", "315 Hz"), 11},
                                               {QT_TRANSLATE_NOOP("MainMenu", "400 Hz"), 12}},
                                              &MainMenu::ChooseLowCut);
    MarkOnOpen(lowcut, lowcutGroup, state_.LowCutBand);

    QMenu* highcut = AddSubmenu(einstellung, QT_TRANSLATE_NOOP("MainMenu", "Highcut"));
    QActionGroup* highcutGroup = AddValueItems(highcut,
                                               {{QT_TRANSLATE_NOOP("MainMenu", "6.25 kHz"), 22},
                                                {QT_TRANSLATE_NOOP("MainMenu", "8 kHz"), 23},
                                                {QT_TRANSLATE_NOOP("MainMenu", "10 kHz"), 24},
                                                {QT_TRANSLATE_NOOP("MainMenu", "12.5 kHz"), 25},
                                                {QT_TRANSLATE_NOOP("MainMenu", "16 kHz"), 26}},
                                               &MainMenu::ChooseHighCut);
    MarkOnOpen(highcut, highcutGroup, state_.HighCutBand);
    einstellung->addSeparator();

    QMenu* reglerwertung = AddSubmenu(einstellung, QT_TRANSLATE_NOOP("MainMenu", "Reglerwertung"));
    QActionGroup* scoringGroup =
        AddValueItems(reglerwertung,
                      {{QT_TRANSLATE_NOOP("MainMenu", "Anwahl"), 0},
                       {QT_TRANSLATE_NOOP("MainMenu", "Anwahl und Absenkung"), 1}},
                      &MainMenu::ChooseScoringMode);
    MarkOnOpen(reglerwertung, scoringGroup, state_.ScoringMode);
    einstellung->addSeparator();

    // Enabled by the start-up once it knows how many devices there are.
    actions_.Soundkarte = AddItem(einstellung, QT_TRANSLATE_NOOP("MainMenu", "Soundkarte"));
    actions_.Soundkarte->setEnabled(false);
}

void MainMenu::BuildAuswertung(QMenuBar* bar)
{
    QMenu* auswertung = AddMenu(bar, QT_TRANSLATE_NOOP("MainMenu", "Auswertung"));

    QMenu* aktuell = AddSubmenu(auswertung, QT_TRANSLATE_NOOP("MainMenu", "Aktuell"));
    actions_.AktuellVersuche = AddItem(aktuell, QT_TRANSLATE_NOOP("MainMenu", "Versuche"));
    actions_.AktuellZeit = AddItem(aktuell, QT_TRANSLATE_NOOP("MainMenu", "Zeit"));

    QMenu* total = AddSubmenu(auswertung, QT_TRANSLATE_NOOP("MainMenu", "Total"));
    actions_.Total = total->menuAction();
    actions_.TotalVersuche = AddItem(total, QT_TRANSLATE_NOOP("MainMenu", "Versuche"));
    actions_.TotalZeit = AddItem(total, QT_TRANSLATE_NOOP("MainMenu", "Zeit"));

    QMenu* fortschritt = AddSubmenu(auswertung, QT_TRANSLATE_NOOP("MainMenu", "Fortschritt"));
    actions_.Fortschritt = fortschritt->menuAction();
    actions_.FortschrittVersuche = AddItem(fortschritt, QT_TRANSLATE_NOOP("MainMenu", "Versuche"));
    actions_.FortschrittZeit = AddItem(fortschritt, QT_TRANSLATE_NOOP("MainMenu", "Zeit"));

    SetStoredResultsAvailable(false);
}

void MainMenu::BuildHilfe(QMenuBar* bar)
{
    QMenu* hilfe = AddMenu(bar, QT_TRANSLATE_NOOP("MainMenu", "Hilfe"));
    actions_.Hilfe = hilfe->menuAction();
    actions_.UeberHeulmeister = AddItem(hilfe, QT_TRANSLATE_NOOP("MainMenu", "Über Heulmeister"));
    connect(actions_.UeberHeulmeister, &QAction::triggered, this, &MainMenu::aboutRequested);
    hilfe->addSeparator();
    actions_.Anleitung = AddItem(hilfe, QT_TRANSLATE_NOOP("MainMenu", "Anleitung"));
    connect(actions_.Anleitung, &QAction::triggered, this, &MainMenu::helpRequested);
}

void MainMenu::ChooseFeedbackTime(int value)
{
    settings_.FeedbackTimeSetting = value;
    emit feedbackTimeChosen();
}

void MainMenu::ChooseRandomStart(int seconds)
{
    settings_.RandomStartSeconds = seconds;
}

void MainMenu::ChooseAutoRestart(int seconds)
{
    settings_.AutoRestartSeconds = seconds;
    if (seconds == 0)
        emit autoRestartStopped();
}

void MainMenu::ChooseLowCut(int band)
{
    faders_.ChangeCutRange(CutEdge::Low, band);
}

void MainMenu::ChooseHighCut(int band)
{
    faders_.ChangeCutRange(CutEdge::High, band);
}

void MainMenu::ChooseScoringMode(int mode)
{
    settings_.ScoringMode = mode;
}

ResultsCommandHooks MainMenu::ResultsHooks()
{
    QPointer<MainMenu> guarded(this);
    ResultsCommandHooks hooks;
    hooks.setSaveEnabled = [guarded](bool enabled) {
        if (guarded && guarded->Actions().Speichern)
            guarded->Actions().Speichern->setEnabled(enabled);
    };
    hooks.setStoredResultsAvailable = [guarded](bool available) {
        if (guarded)
            guarded->SetStoredResultsAvailable(available);
    };
    return hooks;
}
