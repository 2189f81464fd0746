#include "picture/PictureFile.h"

#include "base/Failure.h"
#include "formats/image/BitmapDecoder.h"
#include "formats/image/BitmapPictureData.h"
#include "formats/image/IconPictureData.h"
#include "formats/image/JpegPictureData.h"
#include "formats/metafile/MetafileLoader.h"
#include "formats/text/TextEncoding.h"
#include "platform/FileCodedSource.h"
#include "platform/ReadOnlyFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

namespace velmoa {
namespace {

// No picture file we show comes near this; past it a file would only exhaust memory.
constexpr std::int64_t kMaxPictureFileBytes = std::int64_t{1} << 30;

// The extension as written, without its dot: the part of the file name after its last dot.
std::string extensionOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot < nameStart) {
        return {};
    }
    return path.substr(dot + 1);
}

// Only ASCII letters are letters here: the names are bytes in whatever encoding.
std::string asciiLower(std::string s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return s;
}

std::string cannotOpenMessage(const std::string& path, const std::string& reason) {
    return "ファイル \"" + bytesToDisplayText(path).toStdString() + "\" は開けません。" + reason;
}

} // namespace

Picture loadPictureFile(const std::string& path, FileIdentity* identity) {
    const std::string extension = extensionOf(path);
    const std::string lower = asciiLower(extension);
    const bool known = lower == "bmp" || lower == "ico" || lower == "wmf" || lower == "emf" ||
                       lower == "jpg" || lower == "jpeg";
    if (!known) {
        throw Failure("拡張子 ." + bytesToDisplayText(extension).toStdString() +
                      " の画像形式は処理できません");
    }

    ReadOnlyFile file(path);
    if (!file.isOpen()) {
        throw Failure(cannotOpenMessage(path, file.reasonText()));
    }
    if (file.size() > kMaxPictureFileBytes) {
        throw Failure(cannotOpenMessage(path, std::generic_category().message(EFBIG)));
    }
    if (identity) {
        *identity = file.identity();
    }
    if (lower == "wmf" || lower == "emf") {
        return loadMetafilePicture(file.readAll(), lower == "emf");
    }
    if (lower == "bmp") {
        const std::string prefix = file.read(BitmapDecoder::kPrefixBytes);
        return Picture(
            Picture::Kind::Bitmap,
            BitmapPictureData::load(prefix, file.size(), [&file](std::size_t n) { return file.read(n); }));
    }
    if (lower == "ico") {
        return Picture(Picture::Kind::Icon, IconPictureData::fromFileBytes(file.readAllBuffer().view()));
    }
    return Picture(Picture::Kind::Jpeg,
                   std::make_shared<JpegPictureData>(std::make_shared<const FileCodedSource>(file)));
}

} // namespace velmoa
