#pragma once

#include <QString>
#include <optional>
#include <string_view>

namespace velmoa {

// Whether the bytes are a whole text or the first part of a longer one, whose last character
// may have been cut.
enum class TextEnd { Whole, Cut };

// Bytes shown as text: UTF-8 when valid (the code page of a Linux desktop), otherwise CP932
// (legacy Japanese files and names), otherwise Latin-1, which takes any bytes. For cut bytes, an
// incomplete character at the very end is left out and does not count against an encoding.
QString bytesToDisplayText(std::string_view bytes, TextEnd end = TextEnd::Whole);

bool isValidUtf8(std::string_view bytes);

// CP932 (Shift-JIS with the Windows extensions); nullopt when the bytes are not valid CP932.
std::optional<QString> decodeCp932(std::string_view bytes, TextEnd end = TextEnd::Whole);

} // namespace velmoa
