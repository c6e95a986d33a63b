#pragma once
// The "Hörtest" window over a HearingCheck: which band rings at which level,
// "hörbar" (the default button: Enter, or Space while it has the focus),
// "Pegelreferenz" (pink noise on and off) and "Abbrechen". At the end it
// names the bands this set-up does not reproduce and offers the "Lowcut"
// and "Highcut" items that leave them out of play: "Übernehmen" hands that
// range back, "Schließen" leaves it. The check starts when the window is
// first shown and goes silent on every way out. Thread: GUI only.

#include "session/HearingCheck.h"

#include <QDialog>
#include <QTimer>
#include <optional>

class QLabel;
class QPushButton;
class QStackedWidget;

class HearingCheckDialog final : public QDialog {
    Q_OBJECT

  public:
    // `state` (sound card, volume) and `wave` must outlive the dialog.
    HearingCheckDialog(const GameState& state, WaveOut& wave, QWidget* owner = nullptr,
                       int stepMs = HearingCheck::DefaultStepMs);

    HearingCheck& Check() { return check_; }
    // Calls Check().Step() every step time; started at each band's start,
    // stopped while the reference plays and at the end.
    QTimer& StepTimer() { return stepTimer_; }
    // After "Übernehmen" (exec() returned Accepted): the range to set.
    std::optional<CutRange> AcceptedCutRange() const { return accepted_; }

    QLabel* LevelDisplay() const { return levelDisplay_; }
    QPushButton* AudibleButton() const { return audible_; }     // "hörbar"
    QPushButton* ReferenceButton() const { return reference_; } // "Pegelreferenz"
    QPushButton* CancelButton() const { return cancel_; }       // "Abbrechen"
    QLabel* ResultText() const { return resultText_; }
    QPushButton* TakeButton() const { return take_; }   // "Übernehmen"
    QPushButton* CloseButton() const { return close_; } // "Schließen"

  protected:
    void showEvent(QShowEvent* event) override;
    // Every way out (buttons, Esc, the window's close) silences the check.
    void done(int result) override;

  private:
    void ShowLevel(int band, int step);
    void PlayReference(bool on);
    void ShowResult();
    void ReportFailure(const QString& operation, const QString& text);
    void SetDisplay(QLabel* label, const QString& text);

    HearingCheck check_;
    QTimer stepTimer_;
    std::optional<CutRange> accepted_;
    QStackedWidget* pages_ = nullptr;
    QLabel* levelDisplay_ = nullptr;
    QPushButton* audible_ = nullptr;
    QPushButton* reference_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QLabel* resultText_ = nullptr;
    QPushButton* take_ = nullptr;
    QPushButton* close_ = nullptr;
};
