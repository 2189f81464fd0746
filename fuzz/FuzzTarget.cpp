// One libFuzzer target; built once for each reader with FUZZ_DRIVER_NAME naming its driver.
#include "FuzzDrivers.h"
#include "FuzzSupport.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmoa;
    static const FuzzDriver drive = [] {
        ensureFuzzApplication();
        for (const NamedFuzzDriver& d : fuzzDrivers()) {
            if (d.name == FUZZ_DRIVER_NAME) {
                return d.drive;
            }
        }
        std::abort();
    }();
    drive(fuzzBytes(data, size));
    return 0;
}
