#include "midi/MidiPorts.h"

#include "midi/JackMidiPorts.h"
#include "midi/MidiLibrary.h"

#include <QSocketNotifier>

#include <cstdint>
#include <cstdlib>
#include <sys/eventfd.h>
#include <unistd.h>

namespace {

constexpr unsigned int InputQueueSize = 1024;

// A control surface must not start a sound server behind the player's back.
// Set before main, while no other thread can be reading the environment (the
// device scan's JACK client reads it too; PortAudio never starts one either).
[[maybe_unused]] const bool JackServerNeverStarted = setenv("JACK_NO_START_SERVER", "1", 1) == 0;

RtMidiApi Api(MidiBackEnd backEnd)
{
    return static_cast<RtMidiApi>(backEnd);
}

// The C interface reports failure in `ok`; its `msg` points into an
// exception that is already gone, so it is never read.
bool Succeeded(const RtMidiWrapper* device)
{
    return device && device->ptr && device->ok;
}

} // namespace

MidiPorts::Input::~Input()
{
    if (device) {
        library->inCancelCallback(device);
        library->inFree(device); // closes the port and joins RtMidi's thread
    }
}

MidiPorts::Output::~Output()
{
    if (device)
        library->outFree(device);
}

MidiPorts::MidiPorts(QObject* parent)
    : QObject(parent), wakeFd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
{
    if (wakeFd_ < 0)
        return; // no wake: the ports do not open
    wakeWatch_ = new QSocketNotifier(wakeFd_, QSocketNotifier::Read, this);
    connect(wakeWatch_, &QSocketNotifier::activated, this, &MidiPorts::Woken);
}

MidiPorts::~MidiPorts()
{
    // The back ends' threads end with them, before the wake they call goes.
    Close();
    delete wakeWatch_;
    if (wakeFd_ >= 0)
        close(wakeFd_);
}

void MidiPorts::Close()
{
    jack_.reset();
    ownIn_.reset();
    directIn_.reset();
    ownOut_.reset();
    directOut_.reset();
    connectedSource_.clear();
    connectedDestination_.clear();
}

bool MidiPorts::Open(const std::vector<MidiBackEnd>& order, QString* errorText)
{
    if (IsOpen())
        return true;
    if (wakeFd_ < 0) {
        if (errorText)
            *errorText =
                tr("MIDI kann nicht starten: Das System gibt keinen Dateideskriptor mehr frei.");
        return false;
    }
    QString libraryError;
    for (MidiBackEnd backEnd : order) {
        backEnd_ = backEnd;
        if (backEnd == MidiBackEnd::Jack ? OpenJack() : OpenRtMidi(&libraryError))
            return true;
    }
    if (errorText)
        *errorText = !libraryError.isEmpty() && order == std::vector{MidiBackEnd::AlsaSequencer}
                         ? libraryError
                         : tr("Kein MIDI-System gefunden: weder der ALSA-Sequencer (/dev/snd/seq) "
                              "noch ein laufender JACK-Server antwortet. Die Regler bleiben mit "
                              "Maus und Tastatur bedienbar; starten Sie JACK oder laden Sie das "
                              "Modul snd-seq und öffnen Sie diesen Dialog erneut.");
    return false;
}

bool MidiPorts::OpenRtMidi(QString* errorText)
{
    library_ = LoadMidiLibrary(errorText);
    if (!library_)
        return false;
    ownIn_ = OpenInput({});
    ownOut_ = ownIn_ ? OpenOutput({}) : nullptr;
    if (ownIn_ && ownOut_)
        return true;
    ownIn_.reset();
    ownOut_.reset();
    return false;
}

bool MidiPorts::OpenJack()
{
    jack_ = std::make_unique<JackMidiPorts>([this] { Wake(); });
    QString reason;
    if (jack_->Open(MidiPortName, &reason))
        return true;
    jack_.reset();
    return false;
}

std::optional<pthread_t> MidiPorts::JackProcessThread() const
{
    return jack_ ? jack_->ProcessThread() : std::nullopt;
}

MidiInbox& MidiPorts::JackInbox()
{
    return jack_->Inbox();
}

QString MidiPorts::BackEndName() const
{
    if (!IsOpen())
        return {};
    return backEnd_ == MidiBackEnd::Jack ? QStringLiteral("JACK") : tr("ALSA-Sequencer");
}

std::unique_ptr<MidiPorts::Input> MidiPorts::OpenInput(const QString& source)
{
    auto input = std::make_unique<Input>();
    input->library = library_;
    input->owner = this;
    input->device = library_->inCreate(Api(backEnd_), MidiPortName, InputQueueSize);
    if (!Succeeded(input->device)) {
        library_->inFree(input->device);
        input->device = nullptr;
        return nullptr;
    }
    library_->inSetCallback(input->device, &MidiPorts::OnMessage, input.get());
    if (source.isEmpty()) {
        library_->openVirtualPort(input->device, MidiPortName);
    } else {
        const int index = static_cast<int>(PortNames(input->device).indexOf(source));
        if (index < 0)
            return nullptr;
        library_->openPort(input->device, static_cast<unsigned>(index), MidiPortName);
    }
    return input->device->ok ? std::move(input) : nullptr;
}

std::unique_ptr<MidiPorts::Output> MidiPorts::OpenOutput(const QString& destination)
{
    auto output = std::make_unique<Output>();
    output->library = library_;
    output->device = library_->outCreate(Api(backEnd_), MidiPortName);
    if (!Succeeded(output->device)) {
        library_->outFree(output->device);
        output->device = nullptr;
        return nullptr;
    }
    if (destination.isEmpty()) {
        library_->openVirtualPort(output->device, MidiPortName);
    } else {
        const int index = static_cast<int>(PortNames(output->device).indexOf(destination));
        if (index < 0)
            return nullptr;
        library_->openPort(output->device, static_cast<unsigned>(index), MidiPortName);
    }
    return output->device->ok ? std::move(output) : nullptr;
}

QStringList MidiPorts::PortNames(RtMidiWrapper* device) const
{
    QStringList names;
    const unsigned count = library_->portCount(device);
    for (unsigned index = 0; index < count && device->ok; ++index) {
        char name[512] = {};
        int length = sizeof name;
        library_->portName(device, index, name, &length);
        names << QString::fromUtf8(name);
    }
    device->ok = true; // a port that vanished while listing is simply not listed
    return names;
}

QStringList MidiPorts::Sources() const
{
    if (jack_)
        return jack_->Sources();
    if (!IsOpen())
        return {};
    QStringList names = PortNames(ownIn_->device);
    // Our own feedback output would only talk to itself.
    names.removeIf([](const QString& name) { return name.contains(QLatin1String(MidiPortName)); });
    return names;
}

QStringList MidiPorts::Destinations() const
{
    if (jack_)
        return jack_->Destinations();
    if (!IsOpen())
        return {};
    QStringList names = PortNames(ownOut_->device);
    names.removeIf([](const QString& name) { return name.contains(QLatin1String(MidiPortName)); });
    return names;
}

bool MidiPorts::ConnectSource(const QString& name, QString* errorText)
{
    directIn_.reset();
    connectedSource_.clear();
    if (!IsOpen())
        return name.isEmpty();
    bool connected = name.isEmpty();
    if (jack_)
        connected = jack_->ConnectSource(name);
    else if (!connected)
        connected = (directIn_ = OpenInput(name)) != nullptr;
    if (!connected) {
        if (errorText)
            *errorText = tr("Der MIDI-Eingang „%1“ lässt sich nicht öffnen.").arg(name);
        return false;
    }
    connectedSource_ = name;
    return true;
}

bool MidiPorts::ConnectDestination(const QString& name, QString* errorText)
{
    directOut_.reset();
    connectedDestination_.clear();
    if (!IsOpen())
        return name.isEmpty();
    bool connected = name.isEmpty();
    if (jack_)
        connected = jack_->ConnectDestination(name);
    else if (!connected)
        connected = (directOut_ = OpenOutput(name)) != nullptr;
    if (!connected) {
        if (errorText)
            *errorText = tr("Der MIDI-Ausgang „%1“ lässt sich nicht öffnen.").arg(name);
        return false;
    }
    connectedDestination_ = name;
    return true;
}

void MidiPorts::Send(const std::array<unsigned char, 3>& message)
{
    if (jack_)
        jack_->Send(message);
    for (Output* output : {ownOut_.get(), directOut_.get()})
        if (output)
            library_->outSendMessage(output->device, message.data(),
                                     static_cast<int>(message.size()));
}

void MidiPorts::OnMessage(double, const unsigned char* bytes, std::size_t size, void* user)
{
    auto* input = static_cast<Input*>(user);
    if (input->inbox.Put(DecodeMidiMessage(bytes, size)))
        input->owner->Wake();
}

void MidiPorts::Wake()
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = write(wakeFd_, &one, sizeof one);
}

void MidiPorts::Woken()
{
    std::uint64_t wakes = 0;
    [[maybe_unused]] const auto read = ::read(wakeFd_, &wakes, sizeof wakes);
    if (jack_ && jack_->ServerGone()) {
        emit serverLost();
        return; // nothing more comes from a dead server
    }
    if (jack_ && jack_->TakeNewListener())
        emit listenerConnected();
    emit messagesArrived();
}
