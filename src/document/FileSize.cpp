#include "document/FileSize.h"

#include "base/Failure.h"
#include "platform/ReadOnlyFile.h"

namespace velmoa {

std::int64_t fileSizeOf(const std::string& path) {
    const ReadOnlyFile file(path);
    if (!file.isOpen()) {
        throw Failure(openFailureMessage(file));
    }
    return file.size();
}

std::string openFailureMessage(const ReadOnlyFile& file) {
    switch (file.error()) {
    case ReadOnlyFile::Error::NotFound:
        return "File not found";
    case ReadOnlyFile::Error::InvalidName:
        return "Invalid filename";
    case ReadOnlyFile::Error::TooManyOpenFiles:
        return "Too many open files";
    case ReadOnlyFile::Error::AccessDenied:
        return "File access denied";
    case ReadOnlyFile::Error::NotRegularFile:
        return "Not a regular file";
    case ReadOnlyFile::Error::None:
    case ReadOnlyFile::Error::Other:
        break;
    }
    return "I/O error " + std::to_string(file.systemError());
}

} // namespace velmoa
