#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velmoa {

// One reader driven as the program drives it: loaded from bytes, then drawn at a small size.
// Failures the reader reports are expected and swallowed; anything else is a finding.
using FuzzDriver = void (*)(std::string_view bytes);

struct NamedFuzzDriver {
    std::string name; // the target's name: fuzz_<name>, and its folder of regression inputs
    FuzzDriver drive;
};

// bmp, ico, jpeg, wmf, emf, rtf, text, midi, midi_play, playlist.
const std::vector<NamedFuzzDriver>& fuzzDrivers();

} // namespace velmoa
