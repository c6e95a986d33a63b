#include "game/MidiDialog.h"

#include "platform/Dialogs.h"
#include "session/MidiBridge.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Made when the list is filled, so that it is read in the language chosen.
QString OwnPortOnly()
{
    return MidiDialog::tr("Nur „%1“ (mit dem Patchbay verbinden)").arg(QLatin1String(MidiPortName));
}

} // namespace

MidiDialog::MidiDialog(MidiBridge& bridge, QString settingsPath, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), bridge_(bridge), settingsPath_(std::move(settingsPath)), dialogs_(dialogs)
{
    setWindowTitle(tr("MIDI-Regler"));
    setAttribute(Qt::WA_DeleteOnClose);

    status_ = new QLabel(this);
    status_->setWordWrap(true);
    source_ = new QComboBox(this);
    destination_ = new QComboBox(this);
    mapping_ = new QComboBox(this);
    mapping_->addItems({tr("Allgemein (CC)"), QStringLiteral("Mackie Control"), tr("Gelernt")});
    learn_ = new QPushButton(tr("Lernen"), this);
    learn_->setCheckable(true);
    learn_->setToolTip(
        tr("Einen Regler auf dem Bildschirm anwählen, dann einen Regler am Pult bewegen."));
    arrived_ = new QLabel(QStringLiteral("–"), this);

    auto* form = new QFormLayout;
    form->addRow(tr("Eingang:"), source_);
    form->addRow(tr("Rückmeldung:"), destination_);
    form->addRow(tr("Zuordnung:"), mapping_);
    form->addRow(QString(), learn_);
    form->addRow(tr("Empfangen:"), arrived_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(status_);
    layout->addLayout(form);
    layout->addWidget(buttons);

    QString errorText;
    const bool running = bridge_.Start(DefaultMidiBackEnds, &errorText);
    ShowState(errorText);
    connect(&bridge_, &MidiBridge::runningChanged, this, [this] { ShowState(); });
    if (!running && !bridge_.ServerLost())
        return;

    connect(mapping_, &QComboBox::activated, this, [this](int index) {
        bridge_.SetMappingKind(static_cast<MidiMappingKind>(index));
        learn_->setChecked(bridge_.Learning());
        SaveQuietly();
    });
    connect(learn_, &QPushButton::toggled, this, [this](bool on) {
        bridge_.SetLearning(on);
        mapping_->setCurrentIndex(static_cast<int>(bridge_.Mapping().Kind()));
        SaveQuietly();
    });
    connect(source_, &QComboBox::activated, this, [this] { ChoosePort(source_, true); });
    connect(destination_, &QComboBox::activated, this, [this] { ChoosePort(destination_, false); });
    connect(&bridge_, &MidiBridge::arrived, arrived_, &QLabel::setText);
    connect(&bridge_, &MidiBridge::learned, this, [this] {
        learn_->setChecked(bridge_.Learning());
        SaveQuietly();
    });
    SaveQuietly(); // the ports are open: the next start opens them again
}

void MidiDialog::ShowState(const QString& errorText)
{
    const bool running = bridge_.IsRunning();
    if (running)
        status_->setText(tr("MIDI über %1: Eingang und Rückmeldung „%2“ sind offen.")
                             .arg(bridge_.Ports().BackEndName(), QLatin1String(MidiPortName)));
    else if (bridge_.ServerLost())
        status_->setText(tr("Der JACK-Server läuft nicht mehr: Eingang und Rückmeldung sind "
                            "geschlossen. Sobald wieder ein JACK-Server läuft, öffnen sie sich "
                            "von selbst."));
    else
        status_->setText(errorText);
    for (QWidget* part : {static_cast<QWidget*>(source_), static_cast<QWidget*>(destination_),
                          static_cast<QWidget*>(mapping_), static_cast<QWidget*>(learn_)})
        part->setEnabled(running);
    if (!running) {
        learn_->setChecked(false);
        return;
    }
    FillPorts();
    mapping_->setCurrentIndex(static_cast<int>(bridge_.Mapping().Kind()));
}

void MidiDialog::FillPorts()
{
    const std::pair<QComboBox*, QStringList> boxes[] = {
        {source_, bridge_.Ports().Sources()},
        {destination_, bridge_.Ports().Destinations()},
    };
    const QString connected[] = {bridge_.Ports().ConnectedSource(),
                                 bridge_.Ports().ConnectedDestination()};
    for (int side = 0; side < 2; ++side) {
        QComboBox* box = boxes[side].first;
        box->clear();
        box->addItem(OwnPortOnly(), QString());
        for (const QString& name : boxes[side].second)
            box->addItem(tr("„%1“ dazu").arg(name), name);
        box->setCurrentIndex(std::max(0, box->findData(connected[side])));
    }
}

void MidiDialog::SaveQuietly()
{
    bridge_.SaveSettings(settingsPath_, nullptr);
}

void MidiDialog::ChoosePort(QComboBox* box, bool source)
{
    const QString name = box->currentData().toString();
    QString errorText;
    const bool connected = source ? bridge_.ConnectSource(name, &errorText)
                                  : bridge_.ConnectDestination(name, &errorText);
    if (!connected) {
        MessageBoxRequest failure;
        failure.caption = tr("MIDI-Regler");
        failure.text = errorText;
        failure.icon = DialogIcon::Warning;
        dialogs_.MessageBox(failure);
        box->setCurrentIndex(0);
    }
    SaveQuietly();
}

void MidiDialog::done(int result)
{
    bridge_.SetLearning(false);
    QString errorText;
    if (!bridge_.SaveSettings(settingsPath_, &errorText)) {
        MessageBoxRequest failure;
        failure.caption = tr("Einstellungen");
        failure.text =
            tr("Die MIDI-Einstellungen konnten nicht gespeichert werden:\n%1").arg(errorText);
        failure.icon = DialogIcon::Error;
        dialogs_.MessageBox(failure);
    }
    QDialog::done(result);
}

MidiDialog* ShowMidiDialog(MidiBridge& bridge, const QString& settingsPath, Dialogs& dialogs,
                           QWidget* parent)
{
    MidiDialog* dialog = nullptr;
    // One that was just closed waits for its deletion; it does not count.
    for (MidiDialog* open :
         parent->findChildren<MidiDialog*>(QString(), Qt::FindDirectChildrenOnly))
        if (open->isVisible())
            dialog = open;
    if (!dialog) {
        dialog = new MidiDialog(bridge, settingsPath, dialogs, parent);
        dialog->show();
    }
    dialog->raise();
    dialog->activateWindow();
    return dialog;
}
