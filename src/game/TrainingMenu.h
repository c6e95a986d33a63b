#pragma once
// The menu "Training", between "Auswertung" and "Hilfe": the journal's views
// and export, and the practice options. Its options live in the "[Training]"
// section of the settings file (model/TrainingSettings.h); this menu is their
// only writer after start-up. Thread: GUI only.

#include <QObject>

struct TrainingSettings;
class QAction;
class QMenu;
class QMenuBar;

struct TrainingMenuActions {
    QAction* Training = nullptr;        // the menu itself, in the bar
    QAction* Verwechslungen = nullptr;  // confusion matrix window
    QAction* Lernkurve = nullptr;       // learning curve window
    QAction* Exportieren = nullptr;     // the journal as CSV
    QAction* SchwacheBaender = nullptr; // checkable: weighted draw of the ringing band
};

class TrainingMenu : public QObject {
    Q_OBJECT
  public:
    // Inserts "Training" into `bar` in front of `before` (the "Hilfe" menu),
    // or at the end when `before` is null. `settings` must outlive this.
    TrainingMenu(QMenuBar* bar, QAction* before, TrainingSettings& settings,
                 QObject* parent = nullptr);

    const TrainingMenuActions& Actions() const { return actions_; }
    QMenu* Menu() const { return menu_; }

    // After the settings are read: the check marks show the options read.
    void ApplyStartupChecks();

  signals:
    void confusionsRequested();     // "Verwechslungen ..."
    void learningCurveRequested();  // "Lernkurve ..."
    void exportRequested();         // "Exportieren ..."
    void weakBandsChanged(bool on); // "Schwache Bänder üben", after the setting changed

  private:
    void BuildJournalItems();
    void BuildPracticeItems();

    TrainingSettings& settings_;
    QMenu* menu_ = nullptr;
    TrainingMenuActions actions_;
};
