#include "engine/common/shared_library.h"

#include <dlfcn.h>

#include <cerrno>
#include <string>

namespace vantorel {
namespace {
constexpr const char* kSource = "vantorel.common.SharedLibrary";

Error cannotLoad(const char* soname, const char* why) {
    return Error(ErrorCategory::System, ELIBACC, kSource,
                 systemErrorText(ELIBACC) + ": " + soname + ": " + (why ? why : "unknown reason"), {soname});
}
}  // namespace

Result<void*> openSharedLibrary(const char* soname) {
    dlerror();
    void* library = ::dlopen(soname, RTLD_NOW | RTLD_LOCAL);
    if (!library) return cannotLoad(soname, dlerror());
    return library;
}

Result<void*> librarySymbol(void* library, const char* soname, const char* name) {
    dlerror();
    void* address = ::dlsym(library, name);
    if (!address) return cannotLoad(soname, dlerror());
    return address;
}

}  // namespace vantorel
