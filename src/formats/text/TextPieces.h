#pragma once

#include "base/CodedSource.h"

#include <QString>
#include <memory>
#include <string>
#include <string_view>

namespace velmoa {

// A file's bytes decoded into the text shown for them a piece at a time, so that the beginning
// can be shown before the rest is read: pieces end after a line end where a line ends near enough,
// and together they are what decoding the whole gives (bytesToDisplayText without a leading
// byte-order mark, then PlainTextDocument::shownText), except that a line too long for one piece
// is also cut where a piece ends inside it when long lines are cut. The encoding is judged on the
// pieces read so far; when a later piece proves it wrong, the pieces start over (startedOver()).
// The bytes are read from their source only as far as the pieces handed out need them, so that
// the first piece of a large file comes without reading the rest, and only the bytes of the next
// piece are held: a large file is never copied whole (a start over reads from the start again).
class TextPieces {
  public:
    TextPieces(std::unique_ptr<const CodedSource> source, bool cutLongLines);
    TextPieces(std::string_view bytes, bool cutLongLines);

    bool atEnd() const { return at_ >= held() || capped_; }
    // The next piece, of about `size` bytes (more when a line or a character runs on).
    QString next(std::size_t size);
    // True once after a piece found the encoding judged so far wrong: the text handed out before
    // it is void, and the pieces begin again from the start.
    bool startedOver();
    // False once the text ran past PlainTextDocument::kMaxShownChars and was cut there.
    bool whole() const { return !capped_; }

  private:
    enum class Encoding { Utf8, Cp932, Latin1 };

    // Places are offsets in the source. The bytes held run from base_ to held().
    std::size_t held() const { return base_ + bytes_.size(); }
    char byteAt(std::size_t place) const { return bytes_[place - base_]; }
    // Reads on until the bytes up to upTo are held or the source ends; gives held(). Bytes before
    // the next piece are let go.
    std::size_t holdUpTo(std::size_t upTo);
    // The first CR or LF from `from` and before limit, reading on as far as it takes; npos when
    // there is none.
    std::size_t lineEndFrom(std::size_t from, std::size_t limit);
    std::size_t pieceEnd(std::size_t size);
    void beginAgain(Encoding encoding);

    std::unique_ptr<const CodedSource> source_;
    std::string bytes_; // the source's bytes from base_ on, as far as read
    std::size_t base_ = 0;
    bool allRead_ = false;
    std::size_t textStart_ = 0; // after a byte-order mark
    std::size_t at_ = 0;
    bool cutLongLines_;
    Encoding encoding_ = Encoding::Utf8;
    qsizetype shownChars_ = 0;
    bool capped_ = false;
    bool startedOver_ = false;
};

} // namespace velmoa
