#pragma once

#include <QString>
#include <string_view>

namespace velmoa {

// Decodes bytes in a Windows code page (932, 1252, 936, …) through iconv. Bytes that the code page
// does not define become U+FFFD one by one, so a damaged file still shows the rest of its text.
class CodePageDecoder {
  public:
    explicit CodePageDecoder(int codePage);
    ~CodePageDecoder();
    CodePageDecoder(const CodePageDecoder&) = delete;
    CodePageDecoder& operator=(const CodePageDecoder&) = delete;

    int codePage() const { return codePage_; }
    QString decode(std::string_view bytes);
    // Whether the byte starts a two-byte character in this code page.
    bool isLeadByte(unsigned char byte) const;

    // Whether the code page has two-byte characters (the East Asian ones).
    static bool isDoubleByte(int codePage);

    // The code page a font character set (\fcharset) stands for; 0 when it names none (use the
    // document's code page).
    static int codePageForCharset(int charset);

  private:
    int codePage_;
    void* converter_ = nullptr; // iconv_t, or null when iconv knows no such code page
};

} // namespace velmoa
