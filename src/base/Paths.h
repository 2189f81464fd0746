#pragma once

#include <string>

namespace velmoa {

// Paths are byte strings as the file system holds them. On POSIX "/" is the only separator:
// "\" and ":" are ordinary name characters, and no byte of a multibyte name can be a "/".

// The text after the last "/" (the whole path when there is none).
std::string fileName(const std::string& path);

// The text up to and including the last "/"; empty when there is none.
std::string folderPart(const std::string& path);

// The text from the last "." to the end, dot included, when that dot lies in the file name;
// empty otherwise.
std::string extension(const std::string& path);

// Only the ASCII letters change; every other byte is kept. A name that is not UTF-8 is read as
// Shift-JIS, so the second byte of a double-byte character is never taken for a letter.
std::string asciiUpper(std::string text);
std::string asciiLower(std::string text);

} // namespace velmoa
