#pragma once
// The "Soundkarte" dialog: one radio entry per wave output device, the
// current SoundCardId marked; OK takes the marked device for the next tone.
// It opens nothing itself. Thread: GUI only.

#include <QDialog>
#include <QList>

class QButtonGroup;
class QGroupBox;
class QPushButton;
class QRadioButton;
class QScrollArea;
class WaveOut;
struct SettingsSlice;

class SoundCardDialog : public QDialog {
    Q_OBJECT

  public:
    // Lists the devices of `wave` at once; `settings` must outlive the dialog.
    SoundCardDialog(SettingsSlice& settings, WaveOut& wave, QWidget* owner = nullptr);

    // OK: SoundCardId becomes the device number of the marked entry, then the
    // dialog closes.
    // With no entry marked SoundCardId keeps its value.
    void BitBtn1Click();

    QGroupBox* RadioGroup1() const { return radioGroup1_; } // the list of devices
    QPushButton* BitBtn1() const { return bitBtn1_; }       // OK
    QPushButton* BitBtn2() const { return bitBtn2_; }       // Cancel
    // The entries in device-number order.
    QList<QRadioButton*> Entries() const { return entries_; }
    // Device number an entry carries.
    int DeviceNumber(QRadioButton* entry) const;
    // Position of the marked entry, -1 when none is marked.
    int ItemIndex() const;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void FormCreate();
    void AddEntry(const QString& productName, int device);

    SettingsSlice& settings_;
    WaveOut& wave_;
    QGroupBox* radioGroup1_ = nullptr;
    QScrollArea* entryArea_ = nullptr;
    QWidget* entryList_ = nullptr;
    QButtonGroup* entryGroup_ = nullptr;
    QList<QRadioButton*> entries_;
    QPushButton* bitBtn1_ = nullptr;
    QPushButton* bitBtn2_ = nullptr;
};

// Menu "Soundkarte": a fresh dialog owned by `owner`, shown modally and
// destroyed when it closes. Thread: GUI only.
void ShowSoundCardDialog(SettingsSlice& settings, WaveOut& wave, QWidget* owner);
