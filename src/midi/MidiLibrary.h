#pragma once
// RtMidi's C interface, opened on first use rather than linked: the program
// starts without it, and a machine without it plays as before.

#include <QString>
#include <rtmidi/rtmidi_c.h>

struct MidiLibrary {
    decltype(&rtmidi_in_create) inCreate;
    decltype(&rtmidi_in_free) inFree;
    decltype(&rtmidi_in_set_callback) inSetCallback;
    decltype(&rtmidi_in_cancel_callback) inCancelCallback;
    decltype(&rtmidi_in_ignore_types) inIgnoreTypes;
    decltype(&rtmidi_out_create) outCreate;
    decltype(&rtmidi_out_free) outFree;
    decltype(&rtmidi_out_send_message) outSendMessage;
    decltype(&rtmidi_open_port) openPort;
    decltype(&rtmidi_open_virtual_port) openVirtualPort;
    decltype(&rtmidi_close_port) closePort;
    decltype(&rtmidi_get_port_count) portCount;
    decltype(&rtmidi_get_port_name) portName;
};

// Loaded by the first call; null when it is missing, with the German reason
// in `errorText`. It stays loaded until the process is gone. Thread: GUI.
const MidiLibrary* LoadMidiLibrary(QString* errorText);
