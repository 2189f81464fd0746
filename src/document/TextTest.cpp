#include "document/TextTest.h"

namespace velmoa {

bool isTextContent(std::string_view bytes) {
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 && b != 0x09 && b != 0x0A && b != 0x0D) {
            return false;
        }
    }
    return true;
}

} // namespace velmoa
