#include "formats/playlist/PlaylistReference.h"

#include <algorithm>
#include <optional>

namespace velmoa {
namespace {

constexpr char kDelete = 0x7f;

bool isControl(char c) {
    return static_cast<unsigned char>(c) < 0x20 || c == kDelete;
}

bool hasControl(std::string_view text) {
    return std::any_of(text.begin(), text.end(), isControl);
}

std::string_view trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool isAsciiAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The scheme of a URL ("file", "http", …), or nothing for a path. One letter before the colon is
// a Windows drive, not a scheme.
std::optional<std::string> schemeOf(std::string_view reference) {
    const auto colon = reference.find(':');
    if (colon == std::string_view::npos || colon < 2 || !isAsciiAlpha(reference.front())) {
        return std::nullopt;
    }
    std::string scheme;
    for (char c : reference.substr(0, colon)) {
        if (!isAsciiAlpha(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.') {
            return std::nullopt;
        }
        scheme += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return scheme;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Percent-decoding; a broken escape makes the whole reference unusable.
std::optional<std::string> percentDecoded(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) {
            return std::nullopt;
        }
        const int high = hexValue(text[i + 1]);
        const int low = hexValue(text[i + 2]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return out;
}

// The path of a file URL, decoded; empty when the URL names no local path.
std::string filePathOf(std::string_view url) {
    std::string_view rest = url.substr(url.find(':') + 1);
    constexpr std::string_view kAuthority = "//";
    constexpr std::string_view kLocalHost = "localhost";
    if (rest.substr(0, kAuthority.size()) == kAuthority) {
        rest.remove_prefix(kAuthority.size());
        if (rest.substr(0, kLocalHost.size()) == kLocalHost) {
            rest.remove_prefix(kLocalHost.size());
        }
    }
    if (rest.empty() || rest.front() != '/') {
        return {};
    }
    const std::optional<std::string> path = percentDecoded(rest);
    if (!path || hasControl(*path) || path->find("://") != std::string::npos) {
        return {};
    }
    return *path;
}

} // namespace

std::string localReference(std::string_view reference, std::string_view folder) {
    reference = trimmed(reference);
    if (reference.empty() || hasControl(reference)) {
        return {};
    }
    if (const std::optional<std::string> scheme = schemeOf(reference)) {
        return *scheme == "file" ? filePathOf(reference) : std::string();
    }
    std::string path(reference);
    std::replace(path.begin(), path.end(), '\\', '/');
    if (path.front() == '/') {
        return path;
    }
    std::string base(folder);
    if (base.empty() || base.back() != '/') {
        base += '/';
    }
    return base + path;
}

} // namespace velmoa
