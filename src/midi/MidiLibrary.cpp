#include "midi/MidiLibrary.h"

#include <dlfcn.h>

namespace {

// The run-time name of Debian's librtmidi6.
constexpr char RtMidiSoname[] = "librtmidi.so.6";

template <typename Function> bool Resolve(void* library, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

struct Loaded {
    MidiLibrary functions{};
    bool ok = false;
    QString errorText;
};

Loaded Load()
{
    Loaded loaded;
    void* library = dlopen(RtMidiSoname, RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        loaded.errorText = QStringLiteral("Die Bibliothek %1 fehlt. (System: %2)")
                               .arg(QLatin1String(RtMidiSoname), QString::fromLocal8Bit(dlerror()));
        return loaded;
    }
    MidiLibrary& f = loaded.functions;
    loaded.ok = Resolve(library, "rtmidi_in_create", f.inCreate) &&
                Resolve(library, "rtmidi_in_free", f.inFree) &&
                Resolve(library, "rtmidi_in_set_callback", f.inSetCallback) &&
                Resolve(library, "rtmidi_in_cancel_callback", f.inCancelCallback) &&
                Resolve(library, "rtmidi_in_ignore_types", f.inIgnoreTypes) &&
                Resolve(library, "rtmidi_out_create", f.outCreate) &&
                Resolve(library, "rtmidi_out_free", f.outFree) &&
                Resolve(library, "rtmidi_out_send_message", f.outSendMessage) &&
                Resolve(library, "rtmidi_open_port", f.openPort) &&
                Resolve(library, "rtmidi_open_virtual_port", f.openVirtualPort) &&
                Resolve(library, "rtmidi_close_port", f.closePort) &&
                Resolve(library, "rtmidi_get_port_count", f.portCount) &&
                Resolve(library, "rtmidi_get_port_name", f.portName);
    if (!loaded.ok)
        loaded.errorText = QStringLiteral("Die Bibliothek %1 ist zu alt. (System: %2)")
                               .arg(QLatin1String(RtMidiSoname), QString::fromLocal8Bit(dlerror()));
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
