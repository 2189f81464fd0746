#include "document/FileSize.h"

#include "platform/Failure.h"
#include "platform/ReadOnlyFile.h"

namespace velmoa {

std::int64_t fileSizeOf(const std::string& path) {
    const ReadOnlyFile file(path);
    switch (file.error()) {
    case ReadOnlyFile::Error::None:
        return file.size();
    case ReadOnlyFile::Error::NotFound:
        throw Failure("File not found");
    case ReadOnlyFile::Error::InvalidName:
        throw Failure("Invalid filename");
    case ReadOnlyFile::Error::TooManyOpenFiles:
        throw Failure("Too many open files");
    case ReadOnlyFile::Error::AccessDenied:
        throw Failure("File access denied");
    case ReadOnlyFile::Error::NotRegularFile:
        throw Failure("Not a regular file");
    case ReadOnlyFile::Error::Other:
        break;
    }
    throw Failure("I/O error " + std::to_string(file.systemError()));
}

} // namespace velmoa
