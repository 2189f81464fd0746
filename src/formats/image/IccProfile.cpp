#include "formats/image/IccProfile.h"

#include <cstddef>

namespace velmoa {
namespace {

constexpr std::string_view kIccSignature{"ICC_PROFILE\0", 12};
// The signature, then one byte each for the chunk's number and the count.
constexpr std::size_t kChunkHeaderBytes = kIccSignature.size() + 2;

} // namespace

std::string joinIccProfileChunks(const std::vector<std::string_view>& app2Segments) {
    std::vector<std::string_view> chunks;
    std::size_t count = 0;
    for (const std::string_view segment : app2Segments) {
        if (segment.size() < kChunkHeaderBytes || segment.substr(0, kIccSignature.size()) != kIccSignature) {
            continue;
        }
        const auto number = static_cast<unsigned char>(segment[kIccSignature.size()]);
        const auto total = static_cast<unsigned char>(segment[kIccSignature.size() + 1]);
        if (count == 0) {
            count = total;
            chunks.assign(count, {});
        }
        if (total != count || number == 0 || number > count || chunks[number - 1].data() != nullptr) {
            return {};
        }
        chunks[number - 1] = segment.substr(kChunkHeaderBytes);
    }
    std::string profile;
    for (const std::string_view chunk : chunks) {
        if (chunk.data() == nullptr) {
            return {};
        }
        profile += chunk;
    }
    return profile;
}

} // namespace velmoa
