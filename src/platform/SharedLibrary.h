#pragma once
// Libraries opened on first use rather than linked: the program starts
// without them, and a machine without one plays as before. Each is opened
// for good (never closed).

#include <dlfcn.h>
#include <string>

inline void* OpenSharedLibrary(const char* soname)
{
    return dlopen(soname, RTLD_NOW | RTLD_LOCAL);
}

// The loader's reason for the last failure, for the player's message.
inline std::string SharedLibraryError()
{
    const char* reason = dlerror();
    return reason ? reason : "";
}

template <typename Function> bool ResolveSymbol(void* library, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}
