#include "media/engines/SoundOutput.h"

#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <system_error>

namespace velmoa {
namespace {

bool pathExists(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

bool hasPcmDevice() {
    std::error_code error;
    for (std::filesystem::directory_iterator it("/dev/snd", error), end; !error && it != end;
         it.increment(error)) {
        if (it->path().filename().string().starts_with("pcmC")) {
            return true;
        }
    }
    return false;
}

// ALSA's error handler type: (file, line, function, error, format, ...).
void ignoreAlsaMessage(const char*, int, const char*, int, const char*, ...) {}
using AlsaErrorHandler = void (*)(const char*, int, const char*, int, const char*, ...);

} // namespace

void quietSoundLibraries() {
    if (std::getenv("VELMOA_DEBUG")) { // NOLINT(concurrency-mt-unsafe): written at start-up alone
        return;
    }
    // Only a library already loaded (the player pulls it in): this loads nothing itself.
    void* alsa = ::dlopen("libasound.so.2", RTLD_NOW | RTLD_NOLOAD);
    if (!alsa) {
        return;
    }
    using SetHandler = int (*)(AlsaErrorHandler);
    if (auto setHandler = reinterpret_cast<SetHandler>(::dlsym(alsa, "snd_lib_error_set_handler"))) {
        setHandler(&ignoreAlsaMessage);
    }
    ::dlclose(alsa);
}

SoundEnvironment detectSoundEnvironment() {
    SoundEnvironment environment;
    // The environment is written only at start-up, before any thread.
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");  // NOLINT(concurrency-mt-unsafe)
    const char* pulseServer = std::getenv("PULSE_SERVER"); // NOLINT(concurrency-mt-unsafe)
    if (runtime && *runtime) {
        const std::filesystem::path folder(runtime);
        environment.pipeWireServer = pathExists(folder / "pipewire-0");
        environment.pulseServer = pathExists(folder / "pulse" / "native");
    }
    environment.pulseServer = environment.pulseServer || (pulseServer && *pulseServer);
    environment.alsaDevice = hasPcmDevice();
    return environment;
}

std::string mpvSoundOutput(const SoundEnvironment& environment) {
    if (environment.pipeWireServer) {
        return "pipewire,pulse";
    }
    if (environment.pulseServer) {
        return "pulse";
    }
    return environment.alsaDevice ? "alsa,null" : "null";
}

std::vector<std::string> fluidSynthDrivers(const SoundEnvironment& environment) {
    std::vector<std::string> drivers;
    if (environment.pipeWireServer || environment.pulseServer) {
        drivers.emplace_back("pulseaudio");
    }
    if (environment.alsaDevice) {
        drivers.emplace_back("alsa");
    }
    return drivers;
}

} // namespace velmoa
