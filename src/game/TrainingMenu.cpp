#include "game/TrainingMenu.h"

#include "model/GameState.h"
#include "model/TrainingSettings.h"
#include "platform/Language.h"

#include <QAction>
#include <QActionGroup>
#include <QCoreApplication>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>

TrainingMenu::TrainingMenu(QMenuBar* bar, QAction* before, TrainingSettings& settings,
                           const FaderSlice& faders, QObject* parent)
    : QObject(parent), settings_(settings), faders_(faders)
{
    // Owned by the bar, like the five menus beside it.
    menu_ = new QMenu(tr("Training"), bar);
    actions_.Training = menu_->menuAction();
    if (before)
        bar->insertMenu(before, menu_);
    else
        bar->addMenu(menu_);

    // START for the keyboard alone: Enter and Space are the bank's, F5 is free.
    actions_.RundeStarten = menu_->addAction(tr("Runde starten"));
    actions_.RundeStarten->setShortcut(QKeySequence(Qt::Key_F5));
    connect(actions_.RundeStarten, &QAction::triggered, this, &TrainingMenu::startRequested);
    menu_->addSeparator();
    BuildJournalItems();
    menu_->addSeparator();
    // The cut range may have changed since the path's level was shown.
    connect(menu_, &QMenu::aboutToShow, this, &TrainingMenu::ShowPathLevel);
    BuildPracticeItems();
    BuildSoundItems();
    menu_->addSeparator();
    actions_.MidiRegler = menu_->addAction(tr("MIDI-Regler ..."));
    connect(actions_.MidiRegler, &QAction::triggered, this, &TrainingMenu::midiRequested);
    actions_.Hoertest = menu_->addAction(tr("Hörtest ..."));
    connect(actions_.Hoertest, &QAction::triggered, this, &TrainingMenu::hearingCheckRequested);
    BuildLanguageItems();
}

// The language of our texts. Each item names its language in that language,
// so a player who reads only one finds it; the choice counts from the next
// start, which the menu says.
void TrainingMenu::BuildLanguageItems()
{
    QMenu* sprache = menu_->addMenu(tr("Sprache"));
    auto* group = new QActionGroup(sprache);
    actions_.Deutsch = sprache->addAction(QStringLiteral("Deutsch"));
    actions_.English = sprache->addAction(QStringLiteral("English"));
    for (QAction* item : {actions_.Deutsch, actions_.English}) {
        item->setCheckable(true);
        group->addAction(item);
    }
    sprache->addSeparator();
    sprache->addAction(tr("Gilt ab dem nächsten Start"))->setEnabled(false);
    connect(actions_.Deutsch, &QAction::triggered, this,
            [this] { settings_.Sprache = LanguageSetting(Language::German); });
    connect(actions_.English, &QAction::triggered, this,
            [this] { settings_.Sprache = LanguageSetting(Language::English); });
}

void TrainingMenu::ApplyStartupChecks()
{
    actions_.SchwacheBaender->setChecked(settings_.Schwerpunkt != 0);
    actions_.Anschwellen->setChecked(settings_.Anschwellen != 0);
    actions_.Buehne->setChecked(settings_.Buehne != 0);
    actions_.Lernpfad->setChecked(settings_.Lernpfad != 0);
    actions_.Hinweise->setChecked(settings_.Hinweise != 0);
    (LanguageFromSetting(settings_.Sprache) == Language::English ? actions_.English
                                                                 : actions_.Deutsch)
        ->setChecked(true);
    MarkBed();
    ShowPathLevel();
}

void TrainingMenu::ShowPathLevel()
{
    // The path as the next draw fits it to the cut range; the draw itself
    // changes the player's path, the menu only shows it.
    LearningPath path = settings_.Path;
    if (settings_.Lernpfad != 0 || !path.Bands().empty())
        path.Fit(faders_.LowCutBand, faders_.HighCutBand);
    const int inPlay = faders_.HighCutBand - faders_.LowCutBand;
    const int pathBands =
        path.Bands().empty()
            ? int(LearningPath::FreshPath(faders_.LowCutBand, faders_.HighCutBand).size())
            : int(path.Bands().size());
    const QLocale german(QLocale::German, QLocale::Germany);
    const QString unit =
        inPlay == 1 ? tr("Band", "one band in play") : tr("Bändern", "several bands in play");
    //: Bands in the learning path, bands in play, and "Band" or "Bändern".
    actions_.Lernpfad->setText(tr("Lernpfad (%1 von %2 %3)")
                                   .arg(german.toString(pathBands), german.toString(inPlay), unit));
}

void TrainingMenu::BuildJournalItems()
{
    actions_.Verwechslungen = menu_->addAction(tr("Verwechslungen ..."));
    connect(actions_.Verwechslungen, &QAction::triggered, this, &TrainingMenu::confusionsRequested);
    actions_.Lernkurve = menu_->addAction(tr("Lernkurve ..."));
    connect(actions_.Lernkurve, &QAction::triggered, this, &TrainingMenu::learningCurveRequested);
    actions_.Exportieren = menu_->addAction(tr("Exportieren ..."));
    connect(actions_.Exportieren, &QAction::triggered, this, &TrainingMenu::exportRequested);
}

// The options that change how a turn is played; all of them off by default.
void TrainingMenu::BuildPracticeItems()
{
    actions_.Uebungssatz = menu_->addAction(tr("Übungssatz starten"));
    connect(actions_.Uebungssatz, &QAction::triggered, this, &TrainingMenu::practiceSetRequested);
    actions_.SchwacheBaender = menu_->addAction(tr("Schwache Bänder üben"));
    actions_.SchwacheBaender->setCheckable(true);
    connect(actions_.SchwacheBaender, &QAction::toggled, this, [this](bool on) {
        settings_.Schwerpunkt = on ? 1 : 0;
        emit weakBandsChanged(on);
    });
    actions_.Lernpfad = menu_->addAction(tr("Lernpfad"));
    actions_.Lernpfad->setCheckable(true);
    connect(actions_.Lernpfad, &QAction::toggled, this, [this](bool on) {
        settings_.Lernpfad = on ? 1 : 0;
        ShowPathLevel();
        emit learningPathChanged(on);
    });
    actions_.Hinweise = menu_->addAction(tr("Hinweise"));
    actions_.Hinweise->setCheckable(true);
    connect(actions_.Hinweise, &QAction::toggled, this, [this](bool on) {
        settings_.Hinweise = on ? 1 : 0;
        emit hintsChanged(on);
    });
    actions_.Buehne = menu_->addAction(tr("Bühne"));
    actions_.Buehne->setCheckable(true);
    connect(actions_.Buehne, &QAction::toggled, this,
            [this](bool on) { settings_.Buehne = on ? 1 : 0; });
    actions_.Frequenzgang = menu_->addAction(tr("Bühne: Frequenzgang ..."));
    connect(actions_.Frequenzgang, &QAction::triggered, this,
            &TrainingMenu::stageResponseRequested);
}

// How a turn sounds: the swell and the bed under the tone.
void TrainingMenu::BuildSoundItems()
{
    actions_.Anschwellen = menu_->addAction(tr("Anschwellen"));
    actions_.Anschwellen->setCheckable(true);
    connect(actions_.Anschwellen, &QAction::toggled, this,
            [this](bool on) { settings_.Anschwellen = on ? 1 : 0; });

    QMenu* hintergrund = menu_->addMenu(tr("Hintergrund"));
    actions_.Hintergrund = hintergrund->menuAction();
    auto* group = new QActionGroup(hintergrund);
    const auto addItem = [&](const char* caption) {
        QAction* item =
            hintergrund->addAction(QCoreApplication::translate("TrainingMenu", caption));
        item->setCheckable(true);
        group->addAction(item);
        return item;
    };
    actions_.Keiner = addItem(QT_TRANSLATE_NOOP("TrainingMenu", "Keiner"));
    actions_.RosaRauschen = addItem(QT_TRANSLATE_NOOP("TrainingMenu", "Rosa Rauschen"));
    actions_.Musik = addItem(QT_TRANSLATE_NOOP("TrainingMenu", "Musik ..."));
    connect(actions_.Keiner, &QAction::triggered, this, [this] { ChooseBed(BedNone); });
    connect(actions_.RosaRauschen, &QAction::triggered, this, [this] { ChooseBed(BedPinkNoise); });
    connect(actions_.Musik, &QAction::triggered, this, [this] {
        // The mark stays where it was until a file is chosen.
        MarkBed();
        emit musicFileRequested();
    });
    MarkBed();
}

void TrainingMenu::ChooseBed(std::int32_t bed, const QString& musicPath)
{
    settings_.Hintergrund = bed;
    if (bed == BedMusic)
        settings_.Musik = musicPath;
    MarkBed();
}

void TrainingMenu::MarkBed()
{
    QAction* const items[] = {actions_.Keiner, actions_.RosaRauschen, actions_.Musik};
    const std::int32_t bed = settings_.Hintergrund;
    items[bed >= BedNone && bed <= BedMusic ? bed : BedNone]->setChecked(true);
}
