#include "midi/MidiLibrary.h"

#include "platform/SharedLibrary.h"

namespace {

// The run-time name of Debian's librtmidi6.
constexpr char RtMidiSoname[] = "librtmidi.so.6";

struct Loaded {
    MidiLibrary functions{};
    bool ok = false;
    QString errorText;
};

Loaded Load()
{
    Loaded loaded;
    void* library = OpenSharedLibrary(RtMidiSoname);
    if (!library) {
        loaded.errorText =
            QStringLiteral("Die Bibliothek %1 fehlt. (System: %2)")
                .arg(QLatin1String(RtMidiSoname), QString::fromStdString(SharedLibraryError()));
        return loaded;
    }
    MidiLibrary& f = loaded.functions;
    loaded.ok = ResolveSymbol(library, "rtmidi_in_create", f.inCreate) &&
                ResolveSymbol(library, "rtmidi_in_free", f.inFree) &&
                ResolveSymbol(library, "rtmidi_in_set_callback", f.inSetCallback) &&
                ResolveSymbol(library, "rtmidi_in_cancel_callback", f.inCancelCallback) &&
                ResolveSymbol(library, "rtmidi_in_ignore_types", f.inIgnoreTypes) &&
                ResolveSymbol(library, "rtmidi_out_create", f.outCreate) &&
                ResolveSymbol(library, "rtmidi_out_free", f.outFree) &&
                ResolveSymbol(library, "rtmidi_out_send_message", f.outSendMessage) &&
                ResolveSymbol(library, "rtmidi_open_port", f.openPort) &&
                ResolveSymbol(library, "rtmidi_open_virtual_port", f.openVirtualPort) &&
                ResolveSymbol(library, "rtmidi_close_port", f.closePort) &&
                ResolveSymbol(library, "rtmidi_get_port_count", f.portCount) &&
                ResolveSymbol(library, "rtmidi_get_port_name", f.portName);
    if (!loaded.ok)
        loaded.errorText =
            QStringLiteral("Die Bibliothek %1 ist zu alt. (System: %2)")
                .arg(QLatin1String(RtMidiSoname), QString::fromStdString(SharedLibraryError()));
    return loaded;
}

} // namespace

const MidiLibrary* LoadMidiLibrary(QString* errorText)
{
    static const Loaded loaded = Load();
    if (!loaded.ok && errorText)
        *errorText = loaded.errorText;
    return loaded.ok ? &loaded.functions : nullptr;
}
