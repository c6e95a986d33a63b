#pragma once
// "Training" > "MIDI-Regler ...": the ports, the mapping, learning, and a
// line showing what arrives. Not modal, so the player can pick a fader on
// the bank while learning. Opening it opens the ports. Thread: GUI only.

#include <QDialog>

class Dialogs;
class MidiBridge;
class QComboBox;
class QLabel;
class QPushButton;

class MidiDialog final : public QDialog {
    Q_OBJECT
  public:
    MidiDialog(MidiBridge& bridge, QString settingsPath, Dialogs& dialogs, QWidget* parent);

    QComboBox* Eingang() const { return source_; }
    QComboBox* Ausgang() const { return destination_; }
    QComboBox* Zuordnung() const { return mapping_; }
    QPushButton* Lernen() const { return learn_; }
    QLabel* Status() const { return status_; }
    QLabel* Empfangen() const { return arrived_; }

  protected:
    void done(int result) override;

  private:
    // The status line and which parts work, from the ports' state.
    void ShowState(const QString& errorText = {});
    void FillPorts();
    // Every change is written at once, so quitting with the dialog open
    // loses nothing; a failure is reported when the dialog closes.
    void SaveQuietly();
    void ChoosePort(QComboBox* box, bool source);

    MidiBridge& bridge_;
    QString settingsPath_;
    Dialogs& dialogs_;
    QLabel* status_ = nullptr;
    QComboBox* source_ = nullptr;
    QComboBox* destination_ = nullptr;
    QComboBox* mapping_ = nullptr;
    QPushButton* learn_ = nullptr;
    QLabel* arrived_ = nullptr;
};

// Opens the dialog, or raises the one already open.
MidiDialog* ShowMidiDialog(MidiBridge& bridge, const QString& settingsPath, Dialogs& dialogs,
                           QWidget* parent);
