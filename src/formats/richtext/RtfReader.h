#pragma once

#include "formats/richtext/RtfBudget.h"
#include "formats/richtext/RtfFrameGrid.h"
#include "formats/richtext/RtfPicture.h"
#include "formats/richtext/RtfShape.h"
#include "formats/richtext/RtfSymbolFonts.h"
#include "formats/text/CodePageDecoder.h"

#include <QColor>
#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextFormat>
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QTextDocument;
class QTextTable;

namespace velmoa {

// Reads rich text (RTF) into a QTextDocument: character and paragraph formats, fonts with their
// character sets, colours, Unicode, tables and pictures. Destinations that carry no
// visible text (style sheet, document information, headers, footers, lists, …) are skipped.
// Damaged input never throws: nesting and numbers are bounded, and a cut-off file shows what was
// read. The reader's parts live in several files: tokens and destinations (RtfReader.cpp), character
// and paragraph formats (RtfReaderFormats.cpp), tables (RtfReaderTables.cpp), pictures
// (RtfReaderPictures.cpp), the text of drawing objects (RtfReaderTextBoxes.cpp), drawing objects
// drawn from their properties (RtfReaderShapes.cpp), positioned paragraphs (RtfReaderFrames.cpp)
// and list numbers (RtfReaderLists.cpp). PNG and JPEG pictures are decoded here; metafiles and
// bitmaps through the decoder the user gives, and left out without one.
class RtfReader {
  public:
    // Text without a colour of its own takes the automatic colour, black, as on the platform this
    // file format comes from; text without a font takes defaultFormat's font.
    RtfReader(QTextDocument& document, const QTextCharFormat& defaultFormat, RtfPictureDecoder pictures = {});
    ~RtfReader();

    // Replaces the document's content. False, leaving the document alone, when the bytes do not
    // begin as rich text. A reader reads one file.
    bool read(std::string_view bytes);
    // The same in steps, so that a long document can be shown while it is read: start empties the
    // document (false, leaving it alone, when the bytes are not rich text), then each readStep adds
    // `units` paragraphs and table cells, and on to the end of the paragraph or table row it is in,
    // in one edit, until it returns false at the end. The bytes must outlive the steps; nothing but
    // the reader may change the document meanwhile.
    bool start(std::string_view bytes);
    bool readStep(int units);
    // After read: text or formats were left out to keep the layout within its budget (RtfBudget).
    bool leftOut() const { return budget_.leftOut(); }

    static bool looksLikeRtf(std::string_view bytes);

    static constexpr int kMaxGroupDepth = 1000;
    // Paragraph and line breaks beyond this become blanks, keeping a hostile file's layout within
    // memory.
    static constexpr int kMaxParagraphs = 1'000'000;
    // Decoded pictures of one document together take at most this much memory; later ones are left out.
    static constexpr std::int64_t kMaxPictureBytes = std::int64_t{256} << 20;
    // Drawn shapes (rectangles, lines, …) beyond this many are left out, however small.
    static constexpr int kMaxDrawnShapes = 10'000;

  private:
    // True when the token just read is dropped: inside a skipped destination, or as one of the
    // fallback characters that follow a Unicode escape.
    bool dropsThisToken();
    void readToken();
    void finish();
    enum class Destination {
        Text,
        Skip,
        FontTable,
        ColourTable,
        Picture,
        ShapePropertyName,
        ShapePropertyValue, // of a property the drawing of a shape uses
        ListTable,
        ListOverrideTable,
        LevelText
    };
    enum class VerticalAlign { Normal, Super, Sub };

    struct CharProps {
        int font = -1;
        int halfPoints = 24;
        bool bold = false;
        bool italic = false;
        bool underline = false;
        bool strike = false;
        bool hidden = false;
        VerticalAlign vertical = VerticalAlign::Normal;
        int foreground = 0;
        int background = 0;
        bool operator==(const CharProps&) const = default;
    };
    struct ParaProps {
        Qt::Alignment alignment = Qt::AlignLeft;
        int leftTwips = 0;
        int rightTwips = 0;
        int firstTwips = 0;
        int beforeTwips = 0;
        int afterTwips = 0;
        bool inTable = false;
        int lineTwips = 0;         // \sl: 0 single, > 0 at least, < 0 exactly
        bool lineMultiple = false; // \slmult1: \sl counts in 240ths of single spacing
        std::vector<int> tabTwips;
        bool dropCap = false; // a frame holding the large first letter of the next paragraph
        int list = 0;         // \ls: the list override the paragraph is an item of, 0 for none
        int level = 0;        // \ilvl
        RtfFramePlace frame;  // \posx \absw …: where the paragraph's frame is on the page
        bool operator==(const ParaProps&) const = default;
    };
    struct State {
        CharProps chars;
        ParaProps para;
        Destination destination = Destination::Text;
        int unicodeSkip = 1;
        // After \dbch the associated properties (\ab, \ai) are those of the East Asian text.
        bool eastAsianContext = false;
        int eastAsianFont = -1;     // \af given after \dbch: the font whose code page two-byte text is in
        bool inTextBox = false;     // inside the text of a drawing object (\shptxt)
        bool inMath = false;        // inside a math zone (\mmath)
        int shapePictures = -1;     // in a drawing object (\shp): the pictures shown before it
        std::size_t shapeDepth = 0; // the drawing objects (\shp, \shpgrp) the group is in
    };
    struct Font {
        QString name;
        int charset = -1;
        int family = 0; // 0 any, 1 roman, 2 swiss, 3 modern, 4 script, 5 decor
        std::string nameBytes;
    };
    struct Colour {
        bool isAuto = true;
        int red = 0, green = 0, blue = 0;
    };
    struct PictureData {
        enum class Kind { None, Decodable, Other } kind = Kind::None;
        RtfPicture::Format format = RtfPicture::Format::Png;
        std::string bytes;
        int pendingNibble = -1;
        int width = 0, height = 0;         // \picw \pich
        int goalWidth = 0, goalHeight = 0; // \picwgoal \pichgoal, twips
        int scaleX = 100, scaleY = 100;
        int bitsPerPixel = 1, planes = 1, widthBytes = 0; // \wbmbitspixel \wbmplanes \wbmwidthbytes
    };

    void openGroup();
    void closeGroup();
    void controlWord(const std::string& word, bool hasParam, int param);
    void controlSymbol(char symbol);
    void textByte(char byte);
    void hexByte(unsigned char byte);
    void binaryData(std::string_view data);

    bool applyCharWord(const std::string& word, bool hasParam, int param);
    bool applyParaWord(const std::string& word, bool hasParam, int param);
    bool destinationWord(const std::string& word, bool starred);
    bool mathWord(const std::string& word);
    void output(const QString& text);
    void outputChar(char16_t c) { output(QString(QChar(c))); }
    void textRun(std::string_view text);
    bool needsTrailByte();
    void syncTable();
    void flushBytes();
    void flushRun();
    void paragraphBreak();
    void lineBreak();
    void startParagraph(); // a paragraph break the budget asks for, not counted as one of the file's
    void endCell();
    void endRow();
    bool applyTableWord(const std::string& word, int param);
    QTextTableCellFormat cellFormat(int cell) const;
    void enterTableIfNeeded();
    void startTable(int columns, const QTextTableFormat& format);
    void splitTable();
    void joinSeam(QTextTableCellFormat& format, int column) const;
    void leaveTable();
    void applyBlockFormat();
    // Positioned paragraphs: their text is gathered frame by frame and laid out as a grid once a
    // paragraph of the flow follows.
    bool applyFrameWord(const std::string& word, int param);
    bool applyPlaceWord(const std::string& word, int param); // of the page and of positioned tables
    void syncFlow(); // into the frame, table or flow that the paragraph's properties say
    void syncFrame();
    void endFrameText();
    void endFrames();
    void pictureWord(const std::string& word, int param);
    void finishPicture();
    QImage decodePicture(const PictureData& picture, QSize shownSize, std::int64_t maxPixels) const;
    // Puts an image the document's picture budget has paid for at the cursor, shown at a size, unless
    // the layout's budget is spent (false: left out).
    bool placeImage(const QImage& image, double width, double height);
    // Drawing objects drawn from their properties (RtfReaderShapes.cpp).
    void beginShape(bool group);
    bool applyShapeWord(const std::string& word, int param);
    void setShapeProperty();
    bool hidesShapeResult(); // at \shprslt: draws the shape first, when it can be
    void endShapes();        // of the groups closed
    void drawShape(const RtfShape& shape);
    // Lists: numbers for items whose writer left out the number's text (\listtext).
    struct ListLevel {
        int format = 0; // \levelnfc
        int start = 1;
        int follow = 0; // \levelfollow: 0 tab, 1 space, 2 nothing
        int font = -1;  // \f: the font of the number, whose code page or symbols its text is in
        // \leveltext: its length, then characters; codes 0..8 stand for levels' numbers, and
        // kRawByte + b for a byte b of the font, read once the font is known.
        std::u16string text;
    };
    bool listWord(const std::string& word, int param);
    void levelTextByte(unsigned char byte);
    // Part of a level's text as its font shows it.
    QString levelText(const ListLevel& level, std::u16string_view text);
    QString listNumber();
    static QString formatNumber(int number, int format);
    void beginTextBox();
    void endTextBox();
    void placeTextBoxes();
    void finishFontEntry();
    void finishColourEntry();
    CodePageDecoder& decoderFor(int codePage);
    int currentCodePage() const;
    int fontCodePage(int index) const; // of a font index (-1: the default font)
    // The symbol font that a font index (-1: the default font) names, or the current font.
    rtf::SymbolFont symbolFont(int index) const;
    rtf::SymbolFont currentSymbolFont() const { return symbolFont(state_.chars.font); }
    QTextCharFormat charFormat(const CharProps& props) const;
    QTextBlockFormat blockFormat(const ParaProps& props) const;
    // The spacing blockFormat gives the paragraph, for the budget's estimates.
    static RtfLineSpacing lineSpacing(const ParaProps& props);

    QTextDocument& document_;
    QTextCharFormat defaultFormat_;
    QTextCursor cursor_;
    std::vector<State> states_;
    State state_;
    int overflowDepth_ = 0; // groups opened beyond the nesting bound, ignored with their braces
    int skipFallback_ = 0;  // characters still to skip after a \u
    int documentCodePage_ = 1252;
    int defaultFont_ = -1;
    std::map<int, Font> fonts_;
    int fontEntry_ = -1;
    std::vector<Colour> colours_;
    Colour colourEntry_;
    RtfPictureDecoder pictures_;
    PictureData picture_;
    int pictureCount_ = 0;
    std::int64_t pictureBytes_ = 0;
    std::string pendingBytes_;
    int pendingCodePage_ = 0;
    QString run_;
    CharProps runProps_;
    std::map<int, std::unique_ptr<CodePageDecoder>> decoders_;
    // Cell borders as the row definition gives them (\clbrdrt … \brdrs \brdrw15).
    struct Border {
        QTextFrameFormat::BorderStyle style = QTextFrameFormat::BorderStyle_None;
        int twips = 0;
        bool thick = false; // \brdrth: twice the width
        int colour = 0;
    };
    enum Side { Top, Left, Bottom, Right, InnerHorizontal, InnerVertical };
    struct CellDef {
        int edge = 0; // \cellx, twips
        std::array<Border, 4> borders{};
    };
    std::vector<CellDef> rowCells_; // of the row being defined
    CellDef cellDef_;               // the cell being defined, until its \cellx
    std::array<Border, 6> rowBorders_{};
    Border* borderTarget_ = nullptr; // the border that \brdr… words describe
    Border paragraphBorder_;         // read, not shown
    QTextTable* table_ = nullptr;
    std::vector<QTextTableCellFormat> seam_; // the last row of the table that table_ goes on from
    int tableRow_ = 0;
    int tableCell_ = 0;
    bool rowEnded_ = false;
    bool cellPending_ = false;
    bool starred_ = false;
    // Drawing objects' text is gathered aside while its group is read and placed after the
    // paragraph that anchors it: there it reads in order, where the page would show it beside.
    struct MainFlow {
        QTextCursor cursor;
        QTextTable* table = nullptr;
        int tableRow = 0;
        int tableCell = 0;
        bool rowEnded = false;
        bool cellPending = false;
    };
    std::unique_ptr<QTextDocument> textBoxes_;
    MainFlow mainFlow_;
    bool readingTextBox_ = false;
    RtfPage page_;
    std::unique_ptr<RtfFrameGrid> frames_; // the grid of frames being gathered
    RtfFramePlace framePlace_;             // of the frame being written
    // A positioned table (\tposx …), as its row defines it: offset from the column's left edge, or
    // aligned to a side of it.
    struct TablePlace {
        int x = 0;
        bool onPage = false;
        Qt::Alignment alignment;
    };
    TablePlace tablePlace_;
    std::string shapePropertyName_;  // \sn of the shape property being read
    std::string shapePropertyValue_; // \sv of a drawing property being read
    std::vector<RtfShape> shapes_;   // the drawing objects being read, outermost first
    bool shapeDrawn_ = false;        // the outermost one is drawn already
    int drawnShapes_ = 0;
    std::vector<ListLevel> listLevels_;           // of the list being read
    std::map<int, std::vector<ListLevel>> lists_; // by \listid
    struct ListOverride {
        int list = 0;                 // \listid
        std::array<int, 9> formats{}; // of the levels, -1 where the list's own holds
    };
    std::map<int, ListOverride> listOverrides_; // by \ls
    int overrideListId_ = 0;
    std::array<int, 9> overrideFormats_{-1, -1, -1, -1, -1, -1, -1, -1, -1}; // of the override being read
    int overrideLevel_ = -1;
    std::map<int, std::array<int, 9>> listCounters_; // by \ls; 0 where a level has not counted yet
    bool paragraphStarted_ = false;                  // the paragraph has shown something
    bool listTextSeen_ = false;                      // the writer gave the paragraph's number as text
    int paragraphs_ = 0;
    std::string_view bytes_; // being read
    std::size_t at_ = 0;     // the next byte to read
    int units_ = 0;          // paragraphs and cells read in this step
    int stepUnits_ = 0;      // the step ends at the first paragraph or row end past this many ...
    bool stepEnded_ = false; // ... and has
    bool finished_ =
        false; // the document's group has closed (or the budget is spent); what follows is not read
    RtfBudget budget_;
};

// Convenience for RtfReader(document, defaultFormat, pictures).read(bytes).
bool readRtf(std::string_view bytes, QTextDocument& document, const QTextCharFormat& defaultFormat,
             RtfPictureDecoder pictures = {});

} // namespace velmoa
