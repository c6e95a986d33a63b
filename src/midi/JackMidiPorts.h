#pragma once
// The game's MIDI ports on a JACK server, through a client of our own rather
// than RtMidi's: RtMidi registers and drops ports on a client that is already
// running, which races libjack's own thread (a crash inside libjack). Here
// both ports exist before the client runs, a direct connection is only a
// patch cord to the one input or output, and the client stops before it
// closes.

#include "midi/MidiInbox.h"
#include "midi/SpscRing.h"

#include <QString>
#include <QStringList>

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <pthread.h>

struct JackLibrary;
struct _jack_client;
struct _jack_port;

class JackMidiPorts {
  public:
    // `wake` is called on JACK's threads when the inbox went from idle to
    // waiting, when a port was patched to our output, and when the server
    // went away.
    explicit JackMidiPorts(std::function<void()> wake);
    ~JackMidiPorts();
    JackMidiPorts(const JackMidiPorts&) = delete;
    JackMidiPorts& operator=(const JackMidiPorts&) = delete;

    // Opens the client named `clientName` with an input and an output, on a
    // running server only. False, with the reason, when there is none.
    // Thread: GUI.
    bool Open(const char* clientName, QString* errorText);

    // Other clients' ports by their full names ("client:port"). Thread: GUI.
    QStringList Sources() const;
    QStringList Destinations() const;
    // Patches the named port to our input (output) besides any patched by
    // hand, replacing the one connected here before; empty disconnects it.
    // Thread: GUI.
    bool ConnectSource(const QString& name);
    bool ConnectDestination(const QString& name);

    // Queues one message for the next cycle. Thread: GUI (the one producer).
    void Send(const std::array<unsigned char, 3>& message);

    MidiInbox& Inbox() { return inbox_; }
    // The thread that runs Process, while open: where nothing may allocate.
    // Thread: GUI.
    std::optional<pthread_t> ProcessThread() const;
    // Whether a port was patched to our output since the last call: it does
    // not know the levels yet. Thread: GUI.
    bool TakeNewListener() { return newListener_.exchange(false); }
    // Whether the server went away: the ports are dead, and only a new
    // client on a new server brings them back. Thread: any.
    bool ServerGone() const { return serverGone_.load(); }

  private:
    // Thread: JACK's process thread.
    static int Process(unsigned int frames, void* self);
    // Thread: JACK's notification thread.
    static void OnConnect(std::uint32_t portA, std::uint32_t portB, int connected, void* self);
    // Thread: JACK's, once the server has gone.
    static void OnShutdown(void* self);
    QStringList PortNames(unsigned long flags) const;
    bool Repatch(QString& connected, const QString& name, bool toInput);

    const JackLibrary* jack_ = nullptr;
    _jack_client* client_ = nullptr;
    _jack_port* in_ = nullptr;
    _jack_port* out_ = nullptr;
    std::function<void()> wake_;
    MidiInbox inbox_;
    std::atomic<bool> newListener_{false};
    std::atomic<bool> serverGone_{false};
    QString source_;
    QString destination_;

    // Messages on their way out: one producer (GUI), one consumer (JACK).
    // What does not fit into a cycle's buffer waits for the next one.
    static constexpr std::uint64_t OutCapacity = 4096;
    SpscRing<std::array<unsigned char, 3>, OutCapacity> outRing_;
};
