#include "document/HexDump.h"

namespace velmoa {
namespace {
constexpr char kDigits[] = "0123456789ABCDEF";

std::string dumpLine(std::size_t offset, std::string_view bytes) {
    std::string line;
    line.reserve(8 + 3 + bytes.size() * 3);
    char hex[16];
    int n = 0;
    do {
        hex[n++] = kDigits[offset & 0xF];
        offset >>= 4;
    } while (offset != 0);
    for (int pad = n; pad < 4; ++pad) {
        line.push_back('0');
    }
    while (n > 0) {
        line.push_back(hex[--n]);
    }
    line += " : ";
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        line.push_back(kDigits[b >> 4]);
        line.push_back(kDigits[b & 0xF]);
        line.push_back(' ');
    }
    return line;
}
} // namespace

std::vector<std::string> hexDumpLines(std::string_view bytes) {
    std::vector<std::string> lines;
    lines.reserve(bytes.size() / 16 + 1);
    for (std::size_t offset = 0; offset < bytes.size(); offset += 16) {
        lines.push_back(dumpLine(offset, bytes.substr(offset, 16)));
    }
    return lines;
}

} // namespace velmoa
