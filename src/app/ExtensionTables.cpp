#include "app/ExtensionTables.h"

#include "base/Paths.h"

#include <algorithm>

namespace velmoa {
namespace {
bool contains(const std::vector<std::string_view>& table, const std::string& ext) {
    return std::find(table.begin(), table.end(), ext) != table.end();
}
} // namespace

const std::vector<std::string_view>& pictureExtensions() {
    static const std::vector<std::string_view> table{".BMP", ".JPG", ".JPEG", ".WMF", ".EMF", ".ICO"};
    return table;
}

const std::vector<std::string_view>& mediaExtensions() {
    static const std::vector<std::string_view> table{
        ".MPG", ".MPEG", ".AVI", ".MID", ".RMI", ".WAV",  ".WMA", ".ASF", ".WMV", ".WM",   ".ASX",
        ".WAX", ".WVX",  ".WPL", ".WMD", ".M1V", ".MIDI", ".MP2", ".MP3", ".MPE", ".MPV2", ".M3U"};
    return table;
}

const std::vector<std::string_view>& soundExtensions() {
    static const std::vector<std::string_view> table{".MID", ".RMI", ".WAV", ".WMA",  ".MIDI",
                                                     ".MP2", ".MP3", ".MPE", ".MPV2", ".M3U"};
    return table;
}

const std::vector<std::string_view>& plainTextExtensions() {
    static const std::vector<std::string_view> table{".HTM", ".HTML", ".C",   ".PAS", ".HTT",
                                                     ".BAT", ".INF",  ".INI", ".CSV"};
    return table;
}

const std::vector<std::string_view>& lowerCasePictureExtensions() {
    static const std::vector<std::string_view> table{".jpeg", ".jpg", ".bmp", ".wmf", ".emf", ".ico"};
    return table;
}

bool isPictureExtension(const std::string& upperExt) {
    return contains(pictureExtensions(), upperExt);
}
bool isMediaExtension(const std::string& upperExt) {
    return contains(mediaExtensions(), upperExt);
}
bool isSoundExtension(const std::string& upperExt) {
    return contains(soundExtensions(), upperExt);
}
bool isPlainTextExtension(const std::string& upperExt) {
    return contains(plainTextExtensions(), upperExt);
}
bool isRichTextExtension(const std::string& upperExt) {
    return upperExt == ".RTF";
}

ViewKind viewKindFor(const std::string& path) {
    const std::string ext = asciiUpper(extension(path));
    if (isPictureExtension(ext)) {
        return ViewKind::Picture;
    }
    if (isMediaExtension(ext)) {
        return ViewKind::Media;
    }
    return ViewKind::Document;
}

} // namespace velmoa
