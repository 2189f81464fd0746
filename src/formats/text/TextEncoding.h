#pragma once

#include <QString>
#include <optional>
#include <string_view>

namespace velmoa {

// Bytes shown as text: UTF-8 when valid (the code page of a Linux desktop), otherwise CP932
// (legacy Japanese files and names), otherwise Latin-1, which takes any bytes.
QString bytesToDisplayText(std::string_view bytes);

bool isValidUtf8(std::string_view bytes);

// CP932 (Shift-JIS with the Windows extensions); nullopt when the bytes are not valid CP932.
std::optional<QString> decodeCp932(std::string_view bytes);

} // namespace velmoa
