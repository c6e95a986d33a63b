#include "midi/MidiLibrary.h"

#include "platform/SharedLibrary.h"

namespace {

constexpr char RtMidiSoname[] = "librtmidi.so.6";

bool Resolve(const SymbolSource& symbol, MidiLibrary& f)
{
    return symbol("rtmidi_in_create", f.inCreate) && symbol("rtmidi_in_free", f.inFree) &&
           symbol("rtmidi_in_set_callback", f.inSetCallback) &&
           symbol("rtmidi_in_cancel_callback", f.inCancelCallback) &&
           symbol("rtmidi_in_ignore_types", f.inIgnoreTypes) &&
           symbol("rtmidi_out_create", f.outCreate) && symbol("rtmidi_out_free", f.outFree) &&
           symbol("rtmidi_out_send_message", f.outSendMessage) &&
           symbol("rtmidi_open_port", f.openPort) &&
           symbol("rtmidi_open_virtual_port", f.openVirtualPort) &&
           symbol("rtmidi_close_port", f.closePort) &&
           symbol("rtmidi_get_port_count", f.portCount) &&
           symbol("rtmidi_get_port_name", f.portName);
}

} // namespace

const MidiLibrary* LoadMidiLibrary(QString* errorText)
{
    static const LazyLibrary<MidiLibrary> rtmidi({RtMidiSoname}, "librtmidi6", Resolve);
    return rtmidi.Get(errorText);
}
