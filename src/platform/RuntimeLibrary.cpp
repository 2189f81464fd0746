#include "platform/RuntimeLibrary.h"

#include <dlfcn.h>

namespace velmoa {

RuntimeLibrary::RuntimeLibrary(const char* soname) : handle_(dlopen(soname, RTLD_NOW | RTLD_LOCAL)) {
    if (!handle_) {
        // NOLINTNEXTLINE(concurrency-mt-unsafe): glibc keeps the last error per thread
        const char* reason = dlerror();
        error_ = reason ? reason : soname;
    }
}

void* RuntimeLibrary::resolve(const char* symbol) const {
    return dlsym(handle_, symbol);
}

} // namespace velmoa
