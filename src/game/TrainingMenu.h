#pragma once
// The menu "Training", between "Auswertung" and "Hilfe": the journal's views
// and export, and the practice options. Its options live in the "[Training]"
// section of the settings file (model/TrainingSettings.h); this menu is their
// only writer after start-up. Thread: GUI only.

#include <QObject>
#include <QString>
#include <cstdint>

struct FaderSlice;
struct TrainingSettings;
class QAction;
class QMenu;
class QMenuBar;

struct TrainingMenuActions {
    QAction* Training = nullptr;        // the menu itself, in the bar
    QAction* RundeStarten = nullptr;    // F5: what START does
    QAction* Verwechslungen = nullptr;  // confusion matrix window
    QAction* Lernkurve = nullptr;       // learning curve window
    QAction* Exportieren = nullptr;     // the journal as CSV
    QAction* Uebungssatz = nullptr;     // ten turns back to back, one score
    QAction* SchwacheBaender = nullptr; // checkable: weighted draw of the ringing band
    QAction* Lernpfad = nullptr;        // checkable: only the path's bands ring; shows its level
    QAction* Hinweise = nullptr;        // checkable: wrong tries and the answer in colour
    QAction* Buehne = nullptr;          // checkable: START starts a stage turn
    QAction* Frequenzgang = nullptr;    // the last stage turn's loop gain
    QAction* Anschwellen = nullptr;     // checkable: a turn's tone swells in
    QAction* Hintergrund = nullptr;     // the submenu of the bed under the tone
    QAction* Keiner = nullptr;          // radio: no bed
    QAction* RosaRauschen = nullptr;    // radio: pink noise
    QAction* Musik = nullptr;           // radio: the player's music, asks for the file
    QAction* MidiRegler = nullptr;      // the control surface dialog
    QAction* Hoertest = nullptr;        // the listening check dialog
    QAction* Deutsch = nullptr;         // radio: our texts in German, from the next start
    QAction* English = nullptr;         // radio: our texts in English, from the next start
};

class TrainingMenu : public QObject {
    Q_OBJECT
  public:
    // Inserts "Training" into `bar` in front of `before` (the "Hilfe" menu),
    // or at the end when `before` is null. `settings` and `faders` (whose cut
    // range the path keeps to) must outlive this.
    TrainingMenu(QMenuBar* bar, QAction* before, TrainingSettings& settings,
                 const FaderSlice& faders, QObject* parent = nullptr);

    const TrainingMenuActions& Actions() const { return actions_; }
    QMenu* Menu() const { return menu_; }

    // After the settings are read: the check marks show the options read.
    void ApplyStartupChecks();
    // Sets "Hintergrund" (for the music also "Musik") and marks its item;
    // for a choice made elsewhere, such as the fall-back to "Keiner".
    void ChooseBed(std::int32_t bed, const QString& musicPath = {});
    // Fits a path in use to the cut range and shows its level in the item:
    // "Lernpfad (7 von 11 Bändern)". Also each time the menu opens.
    void ShowPathLevel();

  signals:
    void startRequested();             // "Runde starten"
    void confusionsRequested();        // "Verwechslungen ..."
    void learningCurveRequested();     // "Lernkurve ..."
    void exportRequested();            // "Exportieren ..."
    void weakBandsChanged(bool on);    // "Schwache Bänder üben", after the setting changed
    void learningPathChanged(bool on); // "Lernpfad", after the setting changed
    void hintsChanged(bool on);        // "Hinweise", after the setting changed
    void practiceSetRequested();       // "Übungssatz starten"
    // "Musik ...": nothing has changed yet; the receiver asks for the file and
    // calls ChooseBed, or leaves the bed as it was.
    void musicFileRequested();
    void midiRequested();          // "MIDI-Regler ..."
    void hearingCheckRequested();  // "Hörtest ..."
    void stageResponseRequested(); // "Bühne: Frequenzgang ..."

  private:
    void BuildJournalItems();
    void BuildPracticeItems();
    void BuildSoundItems();
    void BuildLanguageItems();
    void MarkBed();

    TrainingSettings& settings_;
    const FaderSlice& faders_;
    QMenu* menu_ = nullptr;
    TrainingMenuActions actions_;
};
