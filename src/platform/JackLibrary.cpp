#include "platform/JackLibrary.h"

#include "platform/SharedLibrary.h"

namespace {

bool Resolve(const SymbolSource& symbol, JackLibrary& f)
{
    return symbol("jack_client_open", f.clientOpen) && symbol("jack_client_close", f.clientClose) &&
           symbol("jack_get_client_name", f.clientName) &&
           symbol("jack_port_register", f.portRegister) && symbol("jack_port_name", f.portName) &&
           symbol("jack_set_process_callback", f.setProcessCallback) &&
           symbol("jack_set_port_connect_callback", f.setPortConnectCallback) &&
           symbol("jack_port_by_id", f.portById) && symbol("jack_on_shutdown", f.onShutdown) &&
           symbol("jack_activate", f.activate) && symbol("jack_deactivate", f.deactivate) &&
           symbol("jack_get_ports", f.getPorts) && symbol("jack_free", f.free) &&
           symbol("jack_connect", f.connect) && symbol("jack_disconnect", f.disconnect) &&
           symbol("jack_port_get_buffer", f.portBuffer) &&
           symbol("jack_midi_get_event_count", f.eventCount) &&
           symbol("jack_midi_event_get", f.eventGet) &&
           symbol("jack_midi_clear_buffer", f.clearBuffer) &&
           symbol("jack_midi_event_write", f.eventWrite) &&
           symbol("jack_set_error_function", f.setErrorFunction) &&
           symbol("jack_set_info_function", f.setInfoFunction) &&
           symbol("jack_client_thread_id", f.clientThreadId);
}

} // namespace

const JackLibrary* LoadJack(QString* errorText)
{
    static const LazyLibrary<JackLibrary> jack({"libjack.so.0"}, "libjack-jackd2-0", Resolve);
    return jack.Get(errorText);
}
