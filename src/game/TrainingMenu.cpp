#include "game/TrainingMenu.h"

#include "model/TrainingSettings.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

TrainingMenu::TrainingMenu(QMenuBar* bar, QAction* before, TrainingSettings& settings,
                           QObject* parent)
    : QObject(parent), settings_(settings)
{
    // Owned by the bar, like the five menus beside it.
    menu_ = new QMenu(QStringLiteral("Training"), bar);
    actions_.Training = menu_->menuAction();
    if (before)
        bar->insertMenu(before, menu_);
    else
        bar->addMenu(menu_);

    BuildJournalItems();
    menu_->addSeparator();
    BuildPracticeItems();
}

void TrainingMenu::ApplyStartupChecks()
{
    actions_.SchwacheBaender->setChecked(settings_.Schwerpunkt != 0);
}

void TrainingMenu::BuildJournalItems()
{
    actions_.Verwechslungen = menu_->addAction(QStringLiteral("Verwechslungen ..."));
    connect(actions_.Verwechslungen, &QAction::triggered, this, &TrainingMenu::confusionsRequested);
    actions_.Lernkurve = menu_->addAction(QStringLiteral("Lernkurve ..."));
    connect(actions_.Lernkurve, &QAction::triggered, this, &TrainingMenu::learningCurveRequested);
    actions_.Exportieren = menu_->addAction(QStringLiteral("Exportieren ..."));
    connect(actions_.Exportieren, &QAction::triggered, this, &TrainingMenu::exportRequested);
}

// The options that change how a turn is played; all of them off by default.
void TrainingMenu::BuildPracticeItems()
{
    actions_.SchwacheBaender = menu_->addAction(QStringLiteral("Schwache Bänder üben"));
    actions_.SchwacheBaender->setCheckable(true);
    connect(actions_.SchwacheBaender, &QAction::toggled, this, [this](bool on) {
        settings_.Schwerpunkt = on ? 1 : 0;
        emit weakBandsChanged(on);
    });
}
