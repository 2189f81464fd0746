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
    holdUpTo(kByteOrderMark.size());
    // A byte-order mark is a marker, not text to show.
    textStart_ = std::string_view(bytes_).starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
    at_ = textStart_;
}

TextPieces::TextPieces(std::string_view bytes, bool cutLongLines)
    : TextPieces(std::make_unique<MemoryCodedSource>(bytes), cutLongLines) {}

std::size_t TextPieces::holdUpTo(std::size_t upTo) {
    if (held() < upTo && !allRead_ && at_ > base_) {
        bytes_.erase(0, at_ - base_); // handed out already
        base_ = at_;
    }
    while (held() < upTo && !allRead_) {
        const std::size_t kept = bytes_.size();
        const std::size_t wanted = std::max(upTo - held(), kReadBytes);
        bytes_.resize(kept + wanted);
        const std::size_t got = source_->readAt(base_ + kept, bytes_.data() + kept, wanted);
        bytes_.resize(kept + got);
        allRead_ = got < wanted;
    }
    return held();
}

std::size_t TextPieces::lineEndFrom(std::size_t from, std::size_t limit) {
    for (;;) {
        const std::size_t found = bytes_.find_first_of("\r\n", from - base_);
        if (found != std::string::npos) {
            return base_ + found < limit ? base_ + found : std::string::npos;
        }
        from = held();
        if (allRead_ || from >= limit) {
            return std::string::npos;
        }
        holdUpTo(from + kReadBytes);
    }
}

std::size_t TextPieces::pieceEnd(std::size_t size) {
    const std::size_t wanted = at_ + size;
    if (holdUpTo(wanted + 1) <= wanted) {
        return held(); // the rest is no longer than a piece
    }
    // After a line end: LF and CR are never part of a CP932 or UTF-8 character.
    const std::size_t limit = at_ + size * kLineRunFactor;
    const std::size_t nearLineEnd = lineEndFrom(wanted, limit);
    if (nearLineEnd != std::string::npos) {
        std::size_t end = nearLineEnd + 1;
        if (byteAt(nearLineEnd) == '\r' && holdUpTo(end + 1) > end && byteAt(end) == '\n') {
            ++end;
        }
        return end;
    }
    if (holdUpTo(limit + 1) <= limit) {
        return held(); // the text ends within the run-on
    }
    if (encoding_ == Encoding::Cp932) {
        // A CP932 character cannot be found from inside a line: the line goes whole.
        const std::size_t lineEnd = lineEndFrom(limit, std::string::npos);
        return lineEnd == std::string::npos ? held() : lineEnd + 1;
    }
    std::size_t end = limit;
    while (encoding_ == Encoding::Utf8 && end > at_ + 1 && isUtf8Continuation(byteAt(end))) {
        --end;
    }
    return end;
}

void TextPieces::beginAgain(Encoding encoding) {
    encoding_ = encoding;
    at_ = base_ = textStart_;
    bytes_.clear();
    allRead_ = false;
    holdUpTo(at_ + 1); // so that atEnd() knows whether there is text
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
    const bool insideLine = end < held() && byteAt(end - 1) != '\n' && byteAt(end - 1) != '\r';
    const std::string_view piece = std::string_view(bytes_).substr(at_ - base_, end - at_);
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
