#pragma once

#include <optional>
#include <string>

namespace velmoa {

// A shared library opened at run time, when first needed, and its C functions bound by name. The
// media players' libraries pull in some two hundred others; linked to the program they would be
// loaded, and take memory, before the first window of every start, even for a picture.
// The library stays loaded for the rest of the process.
class RuntimeLibrary {
  public:
    // soname: the exact file name of the interface the program was built against ("libmpv.so.2").
    explicit RuntimeLibrary(const char* soname);
    bool loaded() const { return handle_ != nullptr; }
    // Why the library could not be loaded (the loader's words); empty when it was.
    const std::string& error() const { return error_; }

    // Points fn at the named function; false when the library or the function is missing.
    template <class Function> bool bind(const char* symbol, Function*& fn) {
        fn = handle_ ? reinterpret_cast<Function*>(resolve(symbol)) : nullptr;
        return fn != nullptr;
    }

  private:
    void* resolve(const char* symbol) const;

    void* handle_ = nullptr; // never closed
    std::string error_;
};

// A table of a library's functions (a struct with bindAll(RuntimeLibrary&)), bound on the first
// call from any thread; nullptr when the library or one of the functions is missing.
template <class Functions> const Functions* bindOnce(const char* soname) {
    static const std::optional<Functions> bound = [soname]() -> std::optional<Functions> {
        RuntimeLibrary library(soname);
        Functions functions;
        if (!library.loaded() || !functions.bindAll(library)) {
            return std::nullopt;
        }
        return functions;
    }();
    return bound ? &*bound : nullptr;
}

} // namespace velmoa
