#pragma once
// Libraries opened on first use rather than linked: the program starts
// without them, and a machine without one plays as before, saying why the
// feature that needs it is missing. Each is opened for good (never closed).

#include <array>
#include <cstdio>
#include <dlfcn.h>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

// What a library's functions are looked up in: its opened files, in order.
class SymbolSource {
  public:
    explicit SymbolSource(std::vector<void*> libraries) : libraries_(std::move(libraries)) {}

    // Sets `function` to the one named `name`; false when none has it.
    template <typename Function> bool operator()(const char* name, Function& function) const
    {
        function = nullptr;
        for (void* library : libraries_)
            if ((function = reinterpret_cast<Function>(dlsym(library, name))))
                return true;
        missing_ = name;
        return false;
    }
    const char* Missing() const { return missing_; }

  private:
    std::vector<void*> libraries_;
    mutable const char* missing_ = "";
};

// One library (or a few that go together), opened and its functions resolved
// into `Table` once, by its loader's function-local static: the first use
// from any thread opens it, and later ones find it done. Trivially
// destructible, so a thread still calling in while the program exits finds
// the table intact.
template <typename Table> class LazyLibrary {
  public:
    using Resolver = bool (*)(const SymbolSource& symbols, Table& table);

    // All of `sonames` must open; `package` is the Debian package named when
    // the first does not.
    LazyLibrary(std::initializer_list<const char*> sonames, const char* package, Resolver resolve)
    {
        std::vector<void*> libraries;
        for (const char* soname : sonames) {
            void* library = dlopen(soname, RTLD_NOW | RTLD_LOCAL);
            if (!library) {
                const char* system = dlerror();
                Say("Die Bibliothek %s fehlt (Paket %s). (System: %s)", soname, package,
                    system ? system : "");
                return;
            }
            libraries.push_back(library);
        }
        const SymbolSource symbols(std::move(libraries));
        ok_ = resolve(symbols, table_);
        if (!ok_)
            Say("Die Bibliothek %s ist zu alt: ihr fehlt %s (Paket %s).", *sonames.begin(),
                symbols.Missing(), package);
    }

    // The table, or null with the German reason in `reason` (may be null).
    const Table* Get(std::string* reason) const
    {
        if (!ok_ && reason)
            *reason = reason_.data();
        return ok_ ? &table_ : nullptr;
    }

  private:
    template <typename... Parts> void Say(const char* format, Parts... parts)
    {
        std::snprintf(reason_.data(), reason_.size(), format, parts...);
    }

    Table table_{};
    bool ok_ = false;
    std::array<char, 512> reason_{};
};
