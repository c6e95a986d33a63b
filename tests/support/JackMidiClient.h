#pragma once
// A control surface stand-in: a JACK client with a MIDI output connected to
// the game's input port and a MIDI input fed by the game's feedback port.
// Messages are queued for its process thread and received ones collected
// from it, lock-free through JACK ring buffers.

#include <QByteArray>
#include <QList>

#include <atomic>
#include <cstdint>
#include <initializer_list>
#include <jack/jack.h>
#include <jack/ringbuffer.h>

class JackMidiClient {
  public:
    explicit JackMidiClient(const char* name = "Pult");
    ~JackMidiClient();
    bool IsOpen() const { return client_ != nullptr; }
    // Closes the client; on a dead server before any new client opens, the
    // only time libjack copes with closing it.
    void Close();

    // Connects to the ports named "Heulmeister Pro"; false when there are none.
    bool ConnectToGame();
    // Queues one message; false when the queue is full.
    bool Send(const QByteArray& message);
    bool Send(std::initializer_list<unsigned char> bytes);
    // Every message received so far, oldest first.
    const QList<QByteArray>& Received();
    void ClearReceived();
    // Waits (running the event loop) until nothing has arrived for `quietMs`.
    void WaitUntilQuiet(int quietMs = 300);
    // steady_clock nanoseconds when the process thread last put a message
    // on the wire: where a benchmark starts a move's clock.
    std::int64_t LastWriteNs() const { return lastWriteNs_.load(std::memory_order_acquire); }

  private:
    static int Process(jack_nframes_t frames, void* self);

    jack_client_t* client_ = nullptr;
    jack_port_t* out_ = nullptr;
    jack_port_t* in_ = nullptr;
    jack_ringbuffer_t* toSend_ = nullptr;
    jack_ringbuffer_t* arrived_ = nullptr;
    QList<QByteArray> received_;
    std::atomic<std::int64_t> lastWriteNs_{0};
};
