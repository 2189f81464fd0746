#include "picture/PictureFile.h"

#include "base/Failure.h"
#include "formats/image/BitmapDecoder.h"
#include "formats/image/BitmapPictureData.h"
#include "formats/image/PictureFixtures.h"

#include <QDir>
#include <cstring>
#include <gtest/gtest.h>
#include <system_error>

using namespace velmoa;
using namespace fixtures;

namespace {

std::string messageOf(const std::string& path) {
    try {
        loadPictureFile(path);
    } catch (const Failure& f) {
        return f.what();
    }
    return "(loaded)";
}

} // namespace

TEST(PictureFile, LoadsByExtensionInAnyCase) {
    QTemporaryDir dir;
    const std::string bmp = bmpFile({40, 2, 3, 24, 0, {}, 0, {}, {bgr({0, 0}), bgr({0, 0}), bgr({0, 0})}});
    const std::string jpeg = jpegBytes(quadrants(40, 20));
    const struct {
        const char* name;
        std::string bytes;
        Picture::Kind kind;
        int width;
        int height;
    } rows[] = {
        {"a.bmp", bmp, Picture::Kind::Bitmap, 2, 3},    {"b.BmP", bmp, Picture::Kind::Bitmap, 2, 3},
        {"c.jpg", jpeg, Picture::Kind::Jpeg, 40, 20},   {"d.JPEG", jpeg, Picture::Kind::Jpeg, 40, 20},
        {"e.x.Jpg", jpeg, Picture::Kind::Jpeg, 40, 20}, {"empty.bmp", "", Picture::Kind::Bitmap, 0, 0},
        {"empty.jpg", "", Picture::Kind::Jpeg, 0, 0},
    };
    for (const auto& row : rows) {
        const Picture picture = loadPictureFile(writeFile(dir, row.name, row.bytes));
        EXPECT_EQ(picture.kind(), row.kind) << row.name;
        EXPECT_EQ(picture.width(), row.width) << row.name;
        EXPECT_EQ(picture.height(), row.height) << row.name;
        EXPECT_FALSE(picture.isEmpty()) << row.name;
        // NOLINTNEXTLINE(performance-unnecessary-copy-initialization): the copy is what is checked
        const Picture copy = picture;
        EXPECT_EQ(copy.data(), picture.data()) << row.name;
    }
}

TEST(PictureFile, RefusesWithTheMessageOfEachCause) {
    QTemporaryDir dir;
    const std::string root = dir.path().toStdString();
    QDir(dir.path()).mkdir(QStringLiteral("folder.jpg"));
    QDir(dir.path()).mkdir(QStringLiteral("dotted.dir"));
    const std::string missing = root + "/missing.jpg";
    const struct {
        std::string path;
        std::string message;
    } rows[] = {
        {missing, "ファイル \"" + missing + "\" は開けません。" + std::generic_category().message(ENOENT)},
        {root + "/folder.jpg",
         "ファイル \"" + root + "/folder.jpg\" は開けません。" + std::generic_category().message(EISDIR)},
        // The extension test comes first: a missing file of another kind names its extension.
        {root + "/missing.png", "拡張子 .png の画像形式は処理できません"},
        {writeFile(dir, "x.PnG", "png"), "拡張子 .PnG の画像形式は処理できません"},
        {writeFile(dir, "noext", "x"), "拡張子 . の画像形式は処理できません"},
        {writeFile(dir, "dotted.dir/noext", "x"), "拡張子 . の画像形式は処理できません"},
        {writeFile(dir, "trailing.", "x"), "拡張子 . の画像形式は処理できません"},
        {writeFile(dir, "bad.bmp", "BX" + std::string(60, '\0')), "ビットマップイメージが不正です"},
        {writeFile(dir, "short.bmp", "BM\1\2"), "ストリームからの読み込みエラー"},
        {writeFile(dir, "cursor.ico", std::string("\0\0\2\0\1\0", 6) + std::string(40, '\0')),
         "アイコンイメージが不正です"},
        {writeFile(dir, "empty.ico", ""), "アイコンイメージが不正です"},
        {writeFile(dir, "bad.jpeg", std::string("\xFF\xD8\xFF\x02\0\4\0\0", 8)), "JPEG エラー #68"},
        {writeFile(dir, "empty.WMF", ""), "メタファイルが不正です"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(messageOf(row.path), row.message) << row.path;
    }
}

// Large bitmaps are read piece by piece: the pixels must come out as from the whole file.
TEST(PictureFile, ReadsLargeBitmapsInPieces) {
    QTemporaryDir dir;
    const int width = 700, height = 600; // 1.2 MB of pixels: more than one piece
    Dib dib{40, width, height, 24};
    for (int row = 0; row < height; ++row) {
        std::vector<QRgb> pixels;
        pixels.reserve(width);
        for (int x = 0; x < width; ++x) {
            pixels.push_back(qRgb(x & 0xFF, row & 0xFF, (x ^ row) & 0xFF));
        }
        dib.rows.push_back(bgr(pixels));
    }
    const std::string whole = bmpFile(dib);
    // The same pixels behind a gap that pushes them past the first piece read.
    std::string gapped = whole;
    gapped.insert(54, std::string(100000, 'g'));
    gapped.replace(10, 4, le32(54 + 100000));
    const QImage expected = BitmapDecoder::decodeFile(whole);
    for (const auto& [name, bytes] :
         {std::pair<std::string, std::string>{"whole.bmp", whole}, {"gapped.bmp", gapped}}) {
        const Picture picture = loadPictureFile(writeFile(dir, name, bytes));
        const auto& data = dynamic_cast<const BitmapPictureData&>(*picture.data());
        EXPECT_EQ(data.image(), expected) << name;
        EXPECT_EQ(messageOf(writeFile(dir, "cut-" + name, bytes.substr(0, bytes.size() - 1))),
                  "ストリームからの読み込みエラー")
            << name;
    }
}
