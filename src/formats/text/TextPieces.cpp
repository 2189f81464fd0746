#include "formats/text/TextPieces.h"

#include "formats/text/PlainTextDocument.h"
#include "formats/text/TextEncoding.h"

#include <algorithm>
#include <cstring>

namespace velmoa {
namespace {
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// A piece runs on past its size to the next line end for at most this many times its size;
// longer lines are cut inside.
constexpr std::size_t kLineRunFactor = 4;
// Bytes are read from the source at least this many at a time.
constexpr std::size_t kReadBytes = std::size_t{64} * 1024;

bool isUtf8Continuation(char c) {
    constexpr unsigned char kContinuationMask = 0xC0;
    constexpr unsigned char kContinuation = 0x80;
    return (static_cast<unsigned char>(c) & kContinuationMask) == kContinuation;
}
} // namespace

TextPieces::TextPieces(std::unique_ptr<const CodedSource> source, bool cutLongLines)
    : source_(std::move(source)), cutLongLines_(cutLongLines) {
    // Held whole in the end: reserved once, its pages touched only as they are read.
    bytes_.reserve(static_cast<std::size_t>(source_->size()));
    holdUpTo(kByteOrderMark.size());
    at_ = textStart();
}

TextPieces::TextPieces(std::string_view bytes, bool cutLongLines)
    : TextPieces(std::make_unique<MemoryCodedSource>(bytes), cutLongLines) {}

std::size_t TextPieces::holdUpTo(std::size_t upTo) {
    while (bytes_.size() < upTo && !allRead_) {
        const std::size_t held = bytes_.size();
        const std::size_t wanted = std::max(upTo - held, kReadBytes);
        bytes_.resize(held + wanted);
        const std::size_t got = source_->readAt(held, bytes_.data() + held, wanted);
        bytes_.resize(held + got);
        allRead_ = got < wanted;
    }
    return bytes_.size();
}

std::size_t TextPieces::lineEndFrom(std::size_t from) {
    for (;;) {
        const std::size_t found = bytes_.find_first_of("\r\n", from);
        if (found != std::string::npos || allRead_) {
            return found;
        }
        from = bytes_.size();
        holdUpTo(from + kReadBytes);
    }
}

std::size_t TextPieces::textStart() const {
    // A byte-order mark is a marker, not text to show.
    return std::string_view(bytes_).starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
}

std::size_t TextPieces::pieceEnd(std::size_t size) {
    // One byte past the run-on limit: the LF of a CR LF that ends there.
    const std::size_t held = holdUpTo(at_ + size * kLineRunFactor + 1);
    const std::size_t wanted = std::min(held, at_ + size);
    if (wanted == held) {
        return wanted;
    }
    // After a line end: LF and CR are never part of a CP932 or UTF-8 character.
    const std::size_t limit = std::min(held, at_ + size * kLineRunFactor);
    const std::size_t nearLineEnd = bytes_.find_first_of("\r\n", wanted);
    if (nearLineEnd != std::string::npos && nearLineEnd < limit) {
        std::size_t end = nearLineEnd + 1;
        if (bytes_[nearLineEnd] == '\r' && end < held && bytes_[end] == '\n') {
            ++end;
        }
        return end;
    }
    if (encoding_ == Encoding::Cp932) {
        // A CP932 character cannot be found from inside a line: the line goes whole.
        const std::size_t lineEnd = lineEndFrom(limit);
        return lineEnd == std::string::npos ? bytes_.size() : lineEnd + 1;
    }
    std::size_t end = limit;
    while (encoding_ == Encoding::Utf8 && end > at_ + 1 && isUtf8Continuation(bytes_[end])) {
        --end;
    }
    return end;
}

void TextPieces::beginAgain(Encoding encoding) {
    encoding_ = encoding;
    at_ = textStart();
    shownChars_ = 0;
    startedOver_ = true;
}

bool TextPieces::startedOver() {
    return std::exchange(startedOver_, false);
}

QString TextPieces::next(std::size_t size) {
    if (atEnd()) {
        return {};
    }
    const std::size_t end = pieceEnd(std::max<std::size_t>(size, 1));
    const bool insideLine = end < bytes_.size() && bytes_[end - 1] != '\n' && bytes_[end - 1] != '\r';
    const std::string_view piece = std::string_view(bytes_).substr(at_, end - at_);
    QString text;
    switch (encoding_) {
    case Encoding::Utf8:
        if (!isValidUtf8(piece)) {
            beginAgain(Encoding::Cp932);
            return next(size);
        }
        text = QString::fromUtf8(piece.data(), static_cast<qsizetype>(piece.size()));
        break;
    case Encoding::Cp932:
        if (auto decoded = decodeCp932(piece)) {
            text = std::move(*decoded);
        } else {
            beginAgain(Encoding::Latin1);
            return next(size);
        }
        break;
    case Encoding::Latin1:
        text = QString::fromLatin1(piece.data(), static_cast<qsizetype>(piece.size()));
        break;
    }
    at_ = end;
    holdUpTo(at_ + 1); // so that atEnd() knows whether more follows
    if (shownChars_ + text.size() > PlainTextDocument::kMaxShownChars) {
        qsizetype keep = PlainTextDocument::kMaxShownChars - shownChars_;
        if (keep > 0 && text.at(keep - 1).isHighSurrogate()) {
            --keep;
        }
        text.truncate(keep);
        capped_ = true;
    }
    shownChars_ += text.size();
    if (!cutLongLines_) {
        return text;
    }
    // A line cut between pieces is cut in the text too: the next piece's cuts count from there.
    return PlainTextDocument::withCuts(text) + (insideLine && !capped_ ? QStringLiteral("\n") : QString());
}

} // namespace velmoa
