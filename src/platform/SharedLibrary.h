#pragma once
// Libraries opened on first use rather than linked: the program starts
// without them, and a machine without one plays as before, saying why the
// feature that needs it is missing. Each is opened for good (never closed).

#include <QCoreApplication>
#include <QString>

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
    // the first does not. The names, and the function names the resolver
    // asks for, are kept (not copied) for the translated reason: literals.
    LazyLibrary(std::initializer_list<const char*> sonames, const char* package, Resolver resolve)
        : package_(package)
    {
        std::vector<void*> libraries;
        for (const char* soname : sonames) {
            void* library = dlopen(soname, RTLD_NOW | RTLD_LOCAL);
            if (!library) {
                const char* system = dlerror();
                Say("Die Bibliothek %s fehlt (Paket %s). (System: %s)", soname, package,
                    system ? system : "");
                soname_ = soname;
                std::snprintf(system_.data(), system_.size(), "%s", system ? system : "");
                return;
            }
            libraries.push_back(library);
        }
        const SymbolSource symbols(std::move(libraries));
        ok_ = resolve(symbols, table_);
        if (!ok_) {
            Say("Die Bibliothek %s ist zu alt: ihr fehlt %s (Paket %s).", *sonames.begin(),
                symbols.Missing(), package);
            soname_ = *sonames.begin();
            missing_ = symbols.Missing();
        }
    }

    // The table, or null when the library is missing.
    const Table* Get() const { return ok_ ? &table_ : nullptr; }

    // The table, or null with the German reason in `reason` (may be null):
    // the words of the --render-stage renderer, which are not translated.
    const Table* Get(std::string* reason) const
    {
        if (!ok_ && reason)
            *reason = reason_.data();
        return ok_ ? &table_ : nullptr;
    }

    // The same with the reason in the player's language, made when asked:
    // the first use may come before the translation is installed.
    const Table* Get(QString* reason) const
    {
        if (!ok_ && reason) {
            // A few libraries that go together are named in words ("und").
            const QString package = QCoreApplication::translate("SharedLibrary", package_);
            *reason =
                missing_
                    ? QCoreApplication::translate(
                          "SharedLibrary", "Die Bibliothek %1 ist zu alt: ihr fehlt %2 (Paket %3).")
                          .arg(QString::fromUtf8(soname_), QString::fromUtf8(missing_), package)
                    : QCoreApplication::translate(
                          "SharedLibrary", "Die Bibliothek %1 fehlt (Paket %2). (System: %3)")
                          .arg(QString::fromUtf8(soname_), package,
                               QString::fromUtf8(system_.data()));
        }
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
    const char* package_;
    const char* soname_ = "";
    const char* missing_ = nullptr; // null when the library itself is missing
    std::array<char, 512> system_{};
};
