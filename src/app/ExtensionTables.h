#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velmoa {

// The one home of the extension tables. Every is...Extension test takes an extension already
// upper-cased in ASCII (asciiUpper(extension(path))) and compares it exactly with the table.

// ".BMP", ".JPG", ".JPEG", ".WMF", ".EMF", ".ICO", in the order they are tested.
const std::vector<std::string_view>& pictureExtensions();
// The 22 sound and video extensions played by the media view.
const std::vector<std::string_view>& mediaExtensions();
// The 10 media extensions that get the sound layout; the rest of the media table is video.
const std::vector<std::string_view>& soundExtensions();
// Documents shown whole as plain text.
const std::vector<std::string_view>& plainTextExtensions();
// The folder listing compares lower-cased names with these (same six kinds as the picture table).
const std::vector<std::string_view>& lowerCasePictureExtensions();

bool isPictureExtension(const std::string& upperExt);
bool isMediaExtension(const std::string& upperExt);
bool isSoundExtension(const std::string& upperExt);
bool isPlainTextExtension(const std::string& upperExt);
bool isRichTextExtension(const std::string& upperExt);

enum class ViewKind { Picture, Media, Document };

// The view that opens the file at path, chosen by its extension alone.
ViewKind viewKindFor(const std::string& path);

} // namespace velmoa
