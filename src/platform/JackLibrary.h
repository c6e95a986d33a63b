#pragma once
// libjack (Debian's libjack-jackd2-0), opened on first use: the MIDI ports
// on a JACK server, and the client that watches PortAudio's server, share it.

#include <QString>
#include <jack/jack.h>
#include <jack/midiport.h>

struct JackLibrary {
    decltype(&jack_client_open) clientOpen;
    decltype(&jack_client_close) clientClose;
    decltype(&jack_get_client_name) clientName;
    decltype(&jack_port_register) portRegister;
    decltype(&jack_port_name) portName;
    decltype(&jack_set_process_callback) setProcessCallback;
    decltype(&jack_set_port_connect_callback) setPortConnectCallback;
    decltype(&jack_port_by_id) portById;
    decltype(&jack_on_shutdown) onShutdown;
    decltype(&jack_activate) activate;
    decltype(&jack_deactivate) deactivate;
    decltype(&jack_get_ports) getPorts;
    decltype(&jack_free) free;
    decltype(&jack_connect) connect;
    decltype(&jack_disconnect) disconnect;
    decltype(&jack_port_get_buffer) portBuffer;
    decltype(&jack_midi_get_event_count) eventCount;
    decltype(&jack_midi_event_get) eventGet;
    decltype(&jack_midi_clear_buffer) clearBuffer;
    decltype(&jack_midi_event_write) eventWrite;
    decltype(&jack_set_error_function) setErrorFunction;
    decltype(&jack_set_info_function) setInfoFunction;
    decltype(&jack_client_thread_id) clientThreadId;
};

// Loaded by the first call; null when it is missing, with the reason in the
// player's language in `errorText` (may be null). It stays loaded until the
// process ends. Thread: any (loads once).
const JackLibrary* LoadJack(QString* errorText);
