#include "game/SoundCardDialog.h"
#include "game/DialogLook.h"

#include "audio/ToneOutput.h"

#include "model/GameState.h"
#include "platform/WaveOut.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QPushButton* AddButton(QWidget* parent, QStyle::StandardPixmap glyph, const QString& caption,
                       const QRect& geometry)
{
    auto* button = new QPushButton(parent->style()->standardIcon(glyph), caption, parent);
    // Buttons keep the desktop's own colours on the teal dialog.
    button->setPalette(QGuiApplication::palette());
    button->setGeometry(geometry);
    return button;
}

} // namespace

SoundCardDialog::SoundCardDialog(SettingsSlice& settings, WaveOut& wave, QWidget* owner)
    : QDialog(owner), settings_(settings), wave_(wave)
{
    setWindowTitle(tr("Soundkarte"));
    setWindowFlags(Qt::Tool | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(297, 181);
    move(216, 211);

    ApplyTealDialogLook(*this, 13);

    radioGroup1_ = new QGroupBox(tr("Soundkarte"), this);
    radioGroup1_->setGeometry(6, 4, 283, 133);

    // More devices than fit in the frame scroll inside it instead of being
    // squeezed together; a few spread over the frame's height.
    entryArea_ = new QScrollArea(radioGroup1_);
    entryArea_->setFrameShape(QFrame::NoFrame);
    entryArea_->setWidgetResizable(true);
    entryArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    entryArea_->viewport()->setAutoFillBackground(false);
    entryList_ = new QWidget;
    entryList_->setAutoFillBackground(false);
    auto* entryLayout = new QVBoxLayout(entryList_);
    entryLayout->setContentsMargins(4, 0, 4, 0);
    entryLayout->setSpacing(0);
    entryArea_->setWidget(entryList_);
    auto* groupLayout = new QVBoxLayout(radioGroup1_);
    groupLayout->setContentsMargins(4, 2, 2, 4);
    groupLayout->addWidget(entryArea_);

    entryArea_->setFocusPolicy(Qt::NoFocus);
    entryGroup_ = new QButtonGroup(this);
    entryGroup_->setExclusive(true);
    // Entries first, so the tab order runs from the list to the buttons.
    FormCreate();

    bitBtn2_ =
        AddButton(this, QStyle::SP_DialogCancelButton, tr("Abbrechen"), QRect(110, 142, 91, 25));
    bitBtn1_ = AddButton(this, QStyle::SP_DialogOkButton, tr("OK"), QRect(216, 142, 75, 25));
    bitBtn1_->setDefault(true);
    connect(bitBtn2_, &QPushButton::clicked, this, &QDialog::reject);
    connect(bitBtn1_, &QPushButton::clicked, this, &SoundCardDialog::BitBtn1Click);
}

void SoundCardDialog::FormCreate()
{
    const std::uint32_t count = wave_.DeviceCount();
    for (std::uint32_t device = 0; device < count; ++device) {
        // A failed query still gets its entry, with whatever name came back.
        QString productName;
        wave_.ProductName(device, productName);
        AddEntry(productName, static_cast<int>(device));
    }

    if (entries_.isEmpty())
        return;
    // Marks the device the tone plays on, also for a number from an edited
    // file or of a device that has gone away.
    entries_[OutputDeviceFor(settings_.SoundCardId, count)]->setChecked(true);
}

void SoundCardDialog::AddEntry(const QString& productName, int device)
{
    auto* entry = new QRadioButton(productName, entryList_);
    // Taller rows spread a short list over the frame, as a radio group does.
    entry->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    entry->setMinimumHeight(entry->sizeHint().height());
    entryList_->layout()->addWidget(entry);
    entryGroup_->addButton(entry, device);
    entries_.append(entry);
}

int SoundCardDialog::DeviceNumber(QRadioButton* entry) const
{
    return entryGroup_->id(entry);
}

int SoundCardDialog::ItemIndex() const
{
    for (int i = 0; i < entries_.size(); ++i) {
        if (entries_[i]->isChecked())
            return i;
    }
    return -1;
}

void SoundCardDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // The list starts with the keyboard on the marked entry (else the first),
    // scrolled into view once the layout has given the entries their places.
    const int index = ItemIndex();
    QRadioButton* current = index >= 0 ? entries_[index] : entries_.value(0);
    if (current == nullptr)
        return;
    entryList_->layout()->activate();
    entryArea_->ensureWidgetVisible(current);
    current->setFocus();
}

void SoundCardDialog::BitBtn1Click()
{
    const int index = ItemIndex();
    if (index >= 0)
        settings_.SoundCardId = DeviceNumber(entries_[index]);
    accept();
}

void ShowSoundCardDialog(SettingsSlice& settings, WaveOut& wave, QWidget* owner)
{
    SoundCardDialog dialog(settings, wave, owner);
    dialog.exec();
}
