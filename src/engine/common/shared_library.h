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
