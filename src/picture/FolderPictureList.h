#pragma once

#include <string>
#include <vector>

namespace velmoa {

// The pictures of a folder, in natural name order. folderPath is a folder part ending in "/",
// or empty for the current directory (the items are then bare names); each item is folderPath
// followed by the name's bytes. A picture is a regular file (a symlink to one counts) whose
// name, lower-cased in ASCII, ends in .jpeg .jpg .bmp .wmf .emf or .ico; folders, links to
// folders, broken links and hidden files (name beginning with ".") are left out. A file without
// read permission is listed and fails when it is shown. A folder that cannot be read gives an
// empty list, silently.
std::vector<std::string> listFolderPictures(const std::string& folderPath);

// The position of path in list, or -1 when it is not there.
int indexOfPath(const std::vector<std::string>& list, const std::string& path);

} // namespace velmoa
