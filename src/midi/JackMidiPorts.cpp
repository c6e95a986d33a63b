#include "midi/JackMidiPorts.h"

#include "midi/MidiMapping.h"
#include "platform/JackLibrary.h"

#include <QCoreApplication>

#include <cerrno>

JackMidiPorts::JackMidiPorts(std::function<void()> wake) : wake_(std::move(wake)) {}

JackMidiPorts::~JackMidiPorts()
{
    if (!client_)
        return;
    jack_->deactivate(client_); // the process thread is gone before anything is freed
    jack_->clientClose(client_);
}

bool JackMidiPorts::Open(const char* clientName, QString* errorText)
{
    jack_ = LoadJack(errorText);
    if (!jack_)
        return false;
    jack_status_t status{};
    client_ = jack_->clientOpen(clientName, JackNoStartServer, &status);
    if (!client_) {
        *errorText = QCoreApplication::translate("JackMidiPorts", "Kein JACK-Server läuft.");
        return false;
    }
    in_ = jack_->portRegister(client_, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    out_ = jack_->portRegister(client_, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    if (in_ && out_ && jack_->setProcessCallback(client_, &JackMidiPorts::Process, this) == 0 &&
        jack_->setPortConnectCallback(client_, &JackMidiPorts::OnConnect, this) == 0) {
        jack_->onShutdown(client_, &JackMidiPorts::OnShutdown, this);
        if (jack_->activate(client_) == 0)
            return true;
    }
    jack_->clientClose(client_);
    client_ = nullptr;
    *errorText =
        QCoreApplication::translate("JackMidiPorts", "Der JACK-Server nimmt keine MIDI-Ports an.");
    return false;
}

QStringList JackMidiPorts::PortNames(unsigned long flags) const
{
    QStringList names;
    const char** ports = jack_->getPorts(client_, nullptr, JACK_DEFAULT_MIDI_TYPE, flags);
    const QString own = QString::fromUtf8(jack_->clientName(client_)) + QLatin1Char(':');
    for (const char** port = ports; port && *port; ++port)
        if (const QString name = QString::fromUtf8(*port); !name.startsWith(own))
            names << name;
    jack_->free(static_cast<void*>(ports));
    return names;
}

QStringList JackMidiPorts::Sources() const
{
    return PortNames(JackPortIsOutput);
}

QStringList JackMidiPorts::Destinations() const
{
    return PortNames(JackPortIsInput);
}

bool JackMidiPorts::Repatch(QString& connected, const QString& name, bool toInput)
{
    const auto patch = [&](decltype(jack_->connect) cord, const QString& other) {
        const QByteArray otherName = other.toUtf8();
        const char* own = jack_->portName(toInput ? in_ : out_);
        const int result = toInput ? cord(client_, otherName.constData(), own)
                                   : cord(client_, own, otherName.constData());
        return result == 0 || result == EEXIST;
    };
    if (!connected.isEmpty())
        patch(jack_->disconnect, connected);
    connected.clear();
    if (name.isEmpty())
        return true;
    if (!patch(jack_->connect, name))
        return false;
    connected = name;
    return true;
}

bool JackMidiPorts::ConnectSource(const QString& name)
{
    return Repatch(source_, name, true);
}

bool JackMidiPorts::ConnectDestination(const QString& name)
{
    return Repatch(destination_, name, false);
}

void JackMidiPorts::Send(const std::array<unsigned char, 3>& message)
{
    auto* entry = outRing_.Claim();
    if (!entry)
        return; // nobody takes them: the server stalls
    *entry = message;
    outRing_.Publish();
}

std::optional<pthread_t> JackMidiPorts::ProcessThread() const
{
    if (!client_)
        return std::nullopt;
    return jack_->clientThreadId(client_);
}

int JackMidiPorts::Process(unsigned int frames, void* self)
{
    auto& ports = *static_cast<JackMidiPorts*>(self);
    const JackLibrary& jack = *ports.jack_;
    void* in = jack.portBuffer(ports.in_, frames);
    const jack_nframes_t count = jack.eventCount(in);
    for (jack_nframes_t index = 0; index < count; ++index) {
        jack_midi_event_t event{};
        if (jack.eventGet(&event, in, index) == 0 &&
            ports.inbox_.Put(DecodeMidiMessage(event.buffer, event.size)) && ports.wake_)
            ports.wake_();
    }
    void* out = jack.portBuffer(ports.out_, frames);
    jack.clearBuffer(out);
    // What does not fit into this cycle's buffer waits for the next one.
    ports.outRing_.Drain(OutCapacity, [&](const std::array<unsigned char, 3>& message) {
        return jack.eventWrite(out, 0, message.data(), message.size()) == 0;
    });
    return 0;
}

void JackMidiPorts::OnConnect(std::uint32_t portA, std::uint32_t portB, int connected, void* self)
{
    auto& ports = *static_cast<JackMidiPorts*>(self);
    if (!connected)
        return;
    for (std::uint32_t port : {portA, portB})
        if (ports.jack_->portById(ports.client_, port) == ports.out_) {
            ports.newListener_.store(true);
            if (ports.wake_)
                ports.wake_();
            return;
        }
}

void JackMidiPorts::OnShutdown(void* self)
{
    auto& ports = *static_cast<JackMidiPorts*>(self);
    ports.serverGone_.store(true);
    if (ports.wake_)
        ports.wake_();
}
