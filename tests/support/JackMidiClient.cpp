#include "support/JackMidiClient.h"

#include <QElapsedTimer>
#include <QtTest>

#include <jack/midiport.h>

#include <chrono>

namespace {

constexpr std::size_t RingBytes = 1 << 20;
constexpr int MessagesPerCycle = 64;

bool ConnectAll(jack_client_t* client, const char* from, unsigned long flags, jack_port_t* ours,
                bool outward)
{
    const char** ports = jack_get_ports(client, from, JACK_DEFAULT_MIDI_TYPE, flags);
    bool any = false;
    for (const char** port = ports; port && *port; ++port) {
        const char* own = jack_port_name(ours);
        any =
            (outward ? jack_connect(client, own, *port) : jack_connect(client, *port, own)) == 0 ||
            any;
    }
    jack_free(ports);
    return any;
}

} // namespace

JackMidiClient::JackMidiClient(const char* name)
{
    jack_status_t status{};
    client_ = jack_client_open(name, JackNoStartServer, &status);
    if (!client_)
        return;
    out_ = jack_port_register(client_, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    in_ = jack_port_register(client_, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    toSend_ = jack_ringbuffer_create(RingBytes);
    arrived_ = jack_ringbuffer_create(RingBytes);
    jack_set_process_callback(client_, &JackMidiClient::Process, this);
    if (!out_ || !in_ || jack_activate(client_) != 0) {
        jack_client_close(client_);
        client_ = nullptr;
    }
}

JackMidiClient::~JackMidiClient()
{
    Close();
    if (toSend_)
        jack_ringbuffer_free(toSend_);
    if (arrived_)
        jack_ringbuffer_free(arrived_);
}

void JackMidiClient::Close()
{
    if (client_)
        jack_client_close(client_);
    client_ = nullptr;
}

bool JackMidiClient::ConnectToGame()
{
    return client_ && ConnectAll(client_, "Heulmeister Pro", JackPortIsInput, out_, true) &&
           ConnectAll(client_, "Heulmeister Pro", JackPortIsOutput, in_, false);
}

bool JackMidiClient::Send(const QByteArray& message)
{
    const auto size = static_cast<unsigned char>(message.size());
    if (jack_ringbuffer_write_space(toSend_) < std::size_t(size) + 1)
        return false;
    jack_ringbuffer_write(toSend_, reinterpret_cast<const char*>(&size), 1);
    jack_ringbuffer_write(toSend_, message.constData(), size);
    return true;
}

bool JackMidiClient::Send(std::initializer_list<unsigned char> bytes)
{
    return Send(QByteArray(reinterpret_cast<const char*>(bytes.begin()), qsizetype(bytes.size())));
}

const QList<QByteArray>& JackMidiClient::Received()
{
    unsigned char size = 0;
    while (jack_ringbuffer_peek(arrived_, reinterpret_cast<char*>(&size), 1) == 1 &&
           jack_ringbuffer_read_space(arrived_) >= std::size_t(size) + 1) {
        QByteArray message(size + 1, '\0');
        jack_ringbuffer_read(arrived_, message.data(), std::size_t(size) + 1);
        received_ << message.mid(1);
    }
    return received_;
}

void JackMidiClient::ClearReceived()
{
    Received();
    received_.clear();
}

void JackMidiClient::WaitUntilQuiet(int quietMs)
{
    QElapsedTimer quiet;
    quiet.start();
    qsizetype seen = Received().size();
    while (quiet.elapsed() < quietMs) {
        QTest::qWait(20);
        if (Received().size() != seen) {
            seen = received_.size();
            quiet.restart();
        }
    }
}

// Thread: JACK's process thread.
int JackMidiClient::Process(jack_nframes_t frames, void* self)
{
    auto* client = static_cast<JackMidiClient*>(self);
    void* out = jack_port_get_buffer(client->out_, frames);
    jack_midi_clear_buffer(out);
    unsigned char message[256];
    for (int sent = 0; sent < MessagesPerCycle; ++sent) {
        unsigned char size = 0;
        if (jack_ringbuffer_peek(client->toSend_, reinterpret_cast<char*>(&size), 1) != 1 ||
            jack_ringbuffer_read_space(client->toSend_) < std::size_t(size) + 1)
            break;
        jack_ringbuffer_peek(client->toSend_, reinterpret_cast<char*>(message),
                             std::size_t(size) + 1);
        if (jack_midi_event_write(out, 0, message + 1, size) != 0)
            break; // the port's buffer is full: the rest goes next cycle
        jack_ringbuffer_read_advance(client->toSend_, std::size_t(size) + 1);
        client->lastWriteNs_.store(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                       std::chrono::steady_clock::now().time_since_epoch())
                                       .count(),
                                   std::memory_order_release);
    }
    void* in = jack_port_get_buffer(client->in_, frames);
    const jack_nframes_t count = jack_midi_get_event_count(in);
    for (jack_nframes_t index = 0; index < count; ++index) {
        jack_midi_event_t event{};
        if (jack_midi_event_get(&event, in, index) != 0 || event.size > 255 ||
            jack_ringbuffer_write_space(client->arrived_) < event.size + 1)
            continue;
        const auto size = static_cast<unsigned char>(event.size);
        jack_ringbuffer_write(client->arrived_, reinterpret_cast<const char*>(&size), 1);
        jack_ringbuffer_write(client->arrived_, reinterpret_cast<const char*>(event.buffer),
                              event.size);
    }
    return 0;
}
