#pragma once
// The game's MIDI ports: its own input and feedback output, both named
// "Heulmeister Pro" (ports a patchbay connects), and optionally a direct
// connection to an existing port on each side. The ALSA sequencer is reached
// through RtMidi, JACK through a client of our own (midi/JackMidiPorts).
// Messages arrive on the back end's thread and wait in an inbox until the
// GUI thread takes them.

#include "midi/MidiInbox.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <memory>
#include <optional>
#include <pthread.h>
#include <vector>

class JackMidiPorts;
class QSocketNotifier;
struct MidiLibrary;
struct RtMidiWrapper;

// RtMidi's back ends in the order they are tried (values of RtMidiApi).
enum class MidiBackEnd { AlsaSequencer = 2, Jack = 3 };
inline const std::vector<MidiBackEnd> DefaultMidiBackEnds = {MidiBackEnd::AlsaSequencer,
                                                             MidiBackEnd::Jack};

inline constexpr char MidiPortName[] = "Heulmeister Pro";

class MidiPorts final : public QObject {
    Q_OBJECT
  public:
    explicit MidiPorts(QObject* parent = nullptr);
    ~MidiPorts() override;

    // Opens the game's own ports on the first back end of
    // `order` that works. False, with the German reason, when none does.
    // Never starts a JACK server. Thread: GUI.
    bool Open(const std::vector<MidiBackEnd>& order = DefaultMidiBackEnds,
              QString* errorText = nullptr);
    bool IsOpen() const { return ownIn_ != nullptr || jack_ != nullptr; }
    // Closes the ports; Open may open them again. Thread: GUI.
    void Close();
    // "ALSA-Sequencer" or "JACK"; empty while closed. Thread: GUI.
    QString BackEndName() const;

    // Other programs' ports that can send to us, and that can receive from
    // us, by name. Thread: GUI.
    QStringList Sources() const;
    QStringList Destinations() const;
    // Connects directly to the named port besides the own one; an empty name
    // ends the direct connection. False, with the reason, when it fails.
    // Thread: GUI.
    bool ConnectSource(const QString& name, QString* errorText = nullptr);
    bool ConnectDestination(const QString& name, QString* errorText = nullptr);
    // Whether listenerConnected comes for every port patched to our output;
    // RtMidi does not tell. Thread: GUI.
    bool AnnouncesListeners() const { return jack_ != nullptr; }
    QString ConnectedSource() const { return connectedSource_; }
    QString ConnectedDestination() const { return connectedDestination_; }

    // JACK's thread that moves our messages, while JACK is the back end.
    // Thread: GUI.
    std::optional<pthread_t> JackProcessThread() const;

    // Sends one message to the own output and the connected one. Thread: GUI.
    void Send(const std::array<unsigned char, 3>& message);

    // Hands up to `most` waiting events to `take`; true when more wait.
    // Thread: GUI.
    template <typename Take> bool Drain(std::uint64_t most, Take&& take)
    {
        bool more = jack_ && JackInbox().Drain(most, take);
        for (Input* input : {ownIn_.get(), directIn_.get()})
            if (input)
                more = input->inbox.Drain(most, take) || more;
        return more;
    }

  signals:
    // The input thread's wake when the inboxes went from idle to waiting;
    // arrives on the GUI thread.
    void messagesArrived();
    // A port was patched to our JACK output (by hand, too): it has to be told
    // every level. Arrives on the GUI thread.
    void listenerConnected();
    // The JACK server the ports were on went away; they are dead until
    // closed and opened again. Arrives on the GUI thread.
    void serverLost();

  private:
    struct Input {
        const MidiLibrary* library = nullptr;
        RtMidiWrapper* device = nullptr;
        MidiPorts* owner = nullptr;
        MidiInbox inbox;
        ~Input();
    };
    struct Output {
        const MidiLibrary* library = nullptr;
        RtMidiWrapper* device = nullptr;
        ~Output();
    };
    // Thread: RtMidi's input thread.
    static void OnMessage(double seconds, const unsigned char* bytes, std::size_t size,
                          void* input);
    bool OpenRtMidi(QString* errorText);
    bool OpenJack();
    MidiInbox& JackInbox();
    // Thread: any; no allocation and no lock, as JACK's process thread calls it.
    void Wake();
    // Thread: GUI.
    void Woken();
    std::unique_ptr<Input> OpenInput(const QString& source);
    std::unique_ptr<Output> OpenOutput(const QString& destination);
    QStringList PortNames(RtMidiWrapper* device) const;

    const MidiLibrary* library_ = nullptr;
    MidiBackEnd backEnd_ = MidiBackEnd::AlsaSequencer;
    std::unique_ptr<Input> ownIn_;
    std::unique_ptr<Output> ownOut_;
    std::unique_ptr<Input> directIn_;
    std::unique_ptr<Output> directOut_;
    std::unique_ptr<JackMidiPorts> jack_;
    QString connectedSource_;
    QString connectedDestination_;
    int wakeFd_ = -1; // an eventfd, watched on the GUI thread
    QSocketNotifier* wakeWatch_ = nullptr;
};
