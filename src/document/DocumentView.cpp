// The document view: rich text, whole plain text, or the first bytes as text or hex dump.
#include "app/Colours.h"
#include "app/ExtensionTables.h"
#include "app/Fonts.h"
#include "app/TzorvForm1.h"
#include "base/Failure.h"
#include "controls/Panel.h"
#include "controls/RichTextControl.h"
#include "document/FileSize.h"
#include "document/HexDump.h"
#include "document/RtfPictureImages.h"
#include "document/TextTest.h"
#include "platform/ReadOnlyFile.h"

namespace velmoa {
namespace {
constexpr std::size_t kBytesJudged = 16384;

std::string readFirstBytes(const std::string& path) {
    ReadOnlyFile file(path);
    if (!file.isOpen()) {
        // The same message as the size step's: the file may have gone since then.
        throw Failure(openFailureMessage(file));
    }
    return file.read(kBytesJudged);
}
} // namespace

void TzorvForm1::ShowDocument(const std::string& upperExtension) {
    RichEdit1->clearContent();
    RichEdit1->refreshNow();
    RichEdit1->setDefaultAttributes(kFixed, 12, clWhite);
    RichEdit1->setPlainTextMode(true);
    RichEdit1->setBackgroundColour(clBlack);
    RichEdit1->resize(client->width(), client->height() - CoolBar2->height());
    RichEdit1->move(0, CoolBar2->height());
    CoolBar2->show();
    MojiPanel->show();

    if (isRichTextExtension(upperExtension)) {
        RichEdit1->setPlainTextMode(false);
        RichEdit1->setBackgroundColour(clWhite);
        RichEdit1->setPictureDecoder(rtfPictureImage);
        RichEdit1->loadWholeFile(FilePath);
        return;
    }
    if (isPlainTextExtension(upperExtension)) {
        RichEdit1->loadWholeFile(FilePath);
        return;
    }
    const std::string bytes = readFirstBytes(FilePath);
    if (isTextContent(bytes)) {
        // A character split by the byte limit must not change how the rest is read.
        RichEdit1->setTextBytes(bytes, bytes.size() == kBytesJudged ? TextEnd::Cut : TextEnd::Whole);
    } else {
        RichEdit1->appendLines(hexDumpLines(bytes));
    }
    ShowFileSize(FilePath);
}

} // namespace velmoa
