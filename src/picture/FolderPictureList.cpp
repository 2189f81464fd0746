#include "picture/FolderPictureList.h"

#include "app/ExtensionTables.h"
#include "base/Paths.h"
#include "picture/NaturalOrder.h"

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmoa {
namespace {
bool hasPictureExtension(const char* name) {
    const std::string ext = asciiLower(extension(name));
    const auto& table = lowerCasePictureExtensions();
    return std::find(table.begin(), table.end(), ext) != table.end();
}

// Only regular files can be shown; d_type saves a stat for all but links and unknown types.
// Read permission is not asked here: one more call per file would cost the listing several times
// over in a large folder, and a picture that cannot be read reports it when it is shown.
bool isFile(int folderFd, const dirent& entry) {
    if (entry.d_type == DT_REG) {
        return true;
    }
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) {
        return false;
    }
    struct stat st {};
    return ::fstatat(folderFd, entry.d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
}
} // namespace

std::vector<std::string> listFolderPictures(const std::string& folderPath) {
    std::vector<std::string> names;
    DIR* folder = ::opendir(folderPath.empty() ? "." : folderPath.c_str());
    if (folder == nullptr) {
        return {};
    }
    const int folderFd = ::dirfd(folder);
    // An error part-way simply ends the list, as does the end of the folder.
    // NOLINTNEXTLINE(concurrency-mt-unsafe): glibc's readdir is safe on a stream no other thread reads
    while (const dirent* entry = ::readdir(folder)) {
        if (entry->d_name[0] == '.' || !hasPictureExtension(entry->d_name)) {
            continue;
        }
        if (isFile(folderFd, *entry)) {
            names.emplace_back(entry->d_name);
        }
    }
    ::closedir(folder);

    std::sort(names.begin(), names.end(), naturalNameLess);
    for (auto& name : names) {
        name.insert(0, folderPath);
    }
    return names;
}

int indexOfPath(const std::vector<std::string>& list, const std::string& path) {
    const auto found = std::find(list.begin(), list.end(), path);
    return found == list.end() ? -1 : static_cast<int>(found - list.begin());
}

} // namespace velmoa
