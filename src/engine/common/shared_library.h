#pragma once

#include "engine/common/error.h"

namespace vantorel {

// A library the program needs for some files only (archives, digests), opened the first time
// it is needed rather than at every start: loading libarchive with what it pulls in, and
// libcrypto, costs a process more CPU time than reading and patching a cartridge image.
//
// Opens `soname` with every symbol resolved at once, and keeps it open for the life of the
// process. A library that cannot be opened fails with ELIBACC and the loader's reason.
[[nodiscard]] Result<void*> openSharedLibrary(const char* soname);

// The address of `name` in an opened library; ELIBACC naming it when the library lacks it.
[[nodiscard]] Result<void*> librarySymbol(void* library, const char* soname, const char* name);

// Sets `function` to the library's function `name`.
template <typename F>
[[nodiscard]] Result<void> bindFunction(void* library, const char* soname, const char* name, F*& function) {
    auto address = librarySymbol(library, soname, name);
    if (!address) return address.error();
    function = reinterpret_cast<F*>(address.value());
    return Done{};
}

}  // namespace vantorel

// Declares `struct Name` with a pointer to each function that FUNCTIONS lists (an X-macro:
// FUNCTIONS(X) expands to X(f) for each function f, declared by the library's header), and
// `const Result<Name>& loadName()`, which opens `soname` on its first call and binds them all.
#define VANTOREL_SHARED_LIBRARY(Name, soname, FUNCTIONS)                                  \
    struct Name {                                                                         \
        FUNCTIONS(VANTOREL_SHARED_LIBRARY_SLOT)                                           \
    };                                                                                    \
    const ::vantorel::Result<Name>& load##Name() {                                        \
        static const ::vantorel::Result<Name> loaded = []() -> ::vantorel::Result<Name> { \
            const char* const libraryName = soname;                                       \
            auto library = ::vantorel::openSharedLibrary(libraryName);                    \
            if (!library) return library.error();                                         \
            Name functions;                                                               \
            FUNCTIONS(VANTOREL_SHARED_LIBRARY_BIND)                                       \
            return functions;                                                             \
        }();                                                                              \
        return loaded;                                                                    \
    }
#define VANTOREL_SHARED_LIBRARY_SLOT(name) decltype(&::name) name = nullptr;
#define VANTOREL_SHARED_LIBRARY_BIND(name)                                                                  \
    if (auto bound = ::vantorel::bindFunction(library.value(), libraryName, #name, functions.name); !bound) \
        return bound.error();
