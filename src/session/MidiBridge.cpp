#include "session/MidiBridge.h"

#include "model/FaderModel.h"
#include "model/GameState.h"
#include "session/FaderInput.h"
#include "session/SettingsFile.h"

#include <QElapsedTimer>
#include <QMetaObject>
#include <QTimer>

namespace {

constexpr int UnknownLevel = MinLevel - 1;
// A flood is taken in passes of a few milliseconds (a raised fader in the
// generator fills a tone's blocks), with painting and input between them.
constexpr std::uint64_t EventsPerChunk = 1;
constexpr qint64 PassNs = 2'000'000;
// How often a lost JACK server is looked for: each look is one client open,
// cheap when nobody answers, and a surface is back soon after the server.
constexpr int ReopenIntervalMs = 2000;

} // namespace

MidiBridge::MidiBridge(const GameState& state, SurfaceSlice& surface, FaderModel& faders,
                       FaderInput& input, QObject* parent)
    : QObject(parent), state_(state), surface_(surface), input_(input)
{
    ForgetSurface();
    takeTimer_.setSingleShot(true);
    takeTimer_.setInterval(0);
    connect(&takeTimer_, &QTimer::timeout, this, &MidiBridge::TakeMessages);
    connect(&faders, &FaderModel::changed, this, &MidiBridge::ScheduleFeedback);
    connect(&ports_, &MidiPorts::messagesArrived, this, &MidiBridge::ScheduleTake);
    connect(&ports_, &MidiPorts::serverLost, this, &MidiBridge::LoseServer);
    reopenTimer_.setInterval(ReopenIntervalMs);
    connect(&reopenTimer_, &QTimer::timeout, this, &MidiBridge::Reopen);
    connect(&ports_, &MidiPorts::listenerConnected, this, [this] {
        ForgetSurface();
        ScheduleFeedback();
    });
}

bool MidiBridge::Start(const std::vector<MidiBackEnd>& order, QString* errorText)
{
    if (IsRunning())
        return true;
    // Back on the server they were lost with, not on another system.
    if (!ports_.Open(serverLost_ ? std::vector{MidiBackEnd::Jack} : order, errorText))
        return false;
    if (serverLost_) {
        serverLost_ = false;
        reopenTimer_.stop();
        emit runningChanged();
    }
    mapping_.SetLearnedText(settings_.learned);
    mapping_.SetKind(settings_.mapping);
    // A port that has gone since is not an error at start: the own ports are open.
    ports_.ConnectSource(settings_.source);
    ports_.ConnectDestination(settings_.destination);
    ForgetSurface();
    ScheduleFeedback();
    ShowBank();
    return true;
}

void MidiBridge::LoseServer()
{
    // What the ports had is what they get back.
    settings_.mapping = mapping_.Kind();
    settings_.learned = mapping_.LearnedText();
    settings_.source = ports_.ConnectedSource();
    settings_.destination = ports_.ConnectedDestination();
    learning_ = false;
    // Closed now, before any new client is tried: libjack copes with a dead
    // client only while no other has been opened since.
    ports_.Close();
    serverLost_ = true;
    reopenTimer_.start();
    ShowBank(); // no surface, no bank on screen
    emit runningChanged();
}

void MidiBridge::Reopen()
{
    Start();
}

void MidiBridge::StartRemembered(const QString& settingsPath)
{
    LoadSettings(settingsPath);
    if (settings_.inUse)
        Start();
}

void MidiBridge::LoadSettings(const QString& settingsPath)
{
    settings_ = ReadMidiSettings(settingsPath);
}

bool MidiBridge::SaveSettings(const QString& settingsPath, QString* errorText)
{
    settings_.inUse = IsRunning() || serverLost_;
    if (IsRunning()) {
        settings_.mapping = mapping_.Kind();
        settings_.learned = mapping_.LearnedText();
        settings_.source = ports_.ConnectedSource();
        settings_.destination = ports_.ConnectedDestination();
    }
    return WriteMidiSettings(settingsPath, settings_, errorText);
}

void MidiBridge::SetMappingKind(MidiMappingKind kind)
{
    mapping_.SetKind(kind);
    if (kind != MidiMappingKind::Learned)
        learning_ = false;
    ForgetSurface();
    ScheduleFeedback();
    ShowBank();
}

bool MidiBridge::ConnectSource(const QString& name, QString* errorText)
{
    return ports_.ConnectSource(name, errorText);
}

bool MidiBridge::ConnectDestination(const QString& name, QString* errorText)
{
    const bool connected = ports_.ConnectDestination(name, errorText);
    if (!ports_.AnnouncesListeners()) {
        ForgetSurface(); // a new listener knows nothing yet
        ScheduleFeedback();
    }
    return connected;
}

void MidiBridge::SetLearning(bool on)
{
    learning_ = on;
    if (on && mapping_.Kind() != MidiMappingKind::Learned)
        SetMappingKind(MidiMappingKind::Learned);
}

void MidiBridge::ScheduleTake()
{
    // A timer of its own rather than a posted call (QTimer::singleShot(0)
    // posts one too): passes then take turns with the window's timers and
    // painting instead of running back to back.
    if (!takeTimer_.isActive())
        takeTimer_.start();
}

void MidiBridge::TakeMessages()
{
    // A find runs a nested event loop, which may call in here again.
    if (taking_) {
        takeAgain_ = true;
        return;
    }
    taking_ = true;
    MidiEvent last;
    QElapsedTimer pass;
    pass.start();
    bool more = true;
    while (more && pass.nsecsElapsed() < PassNs)
        more = ports_.Drain(EventsPerChunk, [&](const MidiEvent& event) {
            Take(event);
            last = event;
        });
    taking_ = false;
    if (last.slot >= 0)
        emit arrived(DescribeMidiEvent(last));
    if (more || takeAgain_) {
        takeAgain_ = false;
        ScheduleTake();
    }
}

void MidiBridge::Take(const MidiEvent& event)
{
    if (event.slot == MidiSlot::BankDown || event.slot == MidiSlot::BankUp) {
        if (mapping_.ShiftBank(event.slot == MidiSlot::BankUp ? 1 : -1)) {
            ScheduleFeedback();
            ShowBank();
        }
        return;
    }
    const int selected = state_.SelectedFader;
    // Only the first control that moves: a surface sends many at once (a
    // motor fader settling, a jog wheel), and each would take the fader over.
    if (learning_ && selected >= 0 && selected <= VolumeFader) {
        learning_ = false;
        mapping_.Learn(event.slot, selected);
        emit learned();
    }
    const int fader = mapping_.FaderFor(event.slot);
    if (fader == NoFader)
        return;
    const int level = MidiSlot::IsBend(event.slot) ? LevelFromBend(event.value)
                                                   : LevelFromController(event.value);
    // What the surface shows now; the game's answer is compared with it.
    surfaceLevels_[static_cast<std::size_t>(event.slot)] = level;
    // A surface re-sends its positions now and then: what moves nothing is
    // no press, which under "Anwahl" would count as a try.
    if (level == FaderLevel(state_, fader))
        return;
    input_.PressFader(fader);
    input_.DragSelectedTo(level);
    ScheduleFeedback();
}

void MidiBridge::ScheduleFeedback()
{
    if (feedbackPending_ || !IsRunning())
        return;
    feedbackPending_ = true;
    // Once per pass of the event loop, after the whole event was handled.
    QMetaObject::invokeMethod(this, &MidiBridge::SendFeedback, Qt::QueuedConnection);
}

void MidiBridge::SendFeedback()
{
    feedbackPending_ = false;
    for (int slot : mapping_.MappedSlots()) {
        const int level = FaderLevel(state_, mapping_.FaderFor(slot));
        int& shown = surfaceLevels_[static_cast<std::size_t>(slot)];
        if (shown == level)
            continue;
        ports_.Send(FeedbackMessage(slot, level));
        shown = level;
    }
}

void MidiBridge::ShowBank()
{
    // Only a surface that is listening has a bank the player must know about.
    const bool shown = IsRunning() && mapping_.BankFaderCount() > 0;
    const int first = shown ? mapping_.BankFirstFader() : NoFader;
    const int count = shown ? mapping_.BankFaderCount() : 0;
    if (first == surface_.SurfaceBankFirst && count == surface_.SurfaceBankCount)
        return;
    surface_.SurfaceBankFirst = first;
    surface_.SurfaceBankCount = count;
    emit surfaceBankChanged();
}

void MidiBridge::ForgetSurface()
{
    surfaceLevels_.fill(UnknownLevel);
}
