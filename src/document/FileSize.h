#pragma once

#include <cstdint>
#include <string>

namespace velmoa {

// The length in bytes of the regular file at path, opened read-only. Throws Failure with the
// user's message when it cannot be opened: "File not found", "Invalid filename",
// "Too many open files", "File access denied" (a folder too), "Not a regular file"
// (FIFO, socket, device), otherwise "I/O error N" with the system's error number.
std::int64_t fileSizeOf(const std::string& path);

class ReadOnlyFile;
// The user's message for a file that could not be opened, as listed above.
std::string openFailureMessage(const ReadOnlyFile& file);

} // namespace velmoa
