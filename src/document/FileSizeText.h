#pragma once

#include <cstdint>
#include <string>

namespace velmoa {

// The size indicator's text: megabytes from 1048576 bytes on, kilobytes from 1024, else bytes
// (" MB", " KB", " byt"); at most two decimals, trailing zeros dropped, halves rounded away
// from zero, the integer part grouped in threes.
std::string fileSizeText(std::int64_t size, char thousandsSep = ',', char decimalSep = '.');

// The same with the separators of the current locale (QLocale()), where they are single ASCII
// characters.
std::string fileSizeTextForLocale(std::int64_t size);

} // namespace velmoa
