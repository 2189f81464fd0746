#include "platform/Picture.h"

#include "platform/Failure.h"

#include <QImage>
#include <QPainter>
#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>
#include <mutex>

namespace velmoa {
namespace {

// Decodes the whole JPEG when first drawn. Replaced by the full decoder set.
class SimpleJpegData : public PictureData {
public:
    explicit SimpleJpegData(std::string bytes) : bytes_(std::move(bytes)) {
        jpeg_decompress_struct cinfo;
        ErrorManager err;
        cinfo.err = jpeg_std_error(&err.pub);
        err.pub.error_exit = onError;
        if (setjmp(err.jump)) {
            const int code = cinfo.err->msg_code;
            jpeg_destroy_decompress(&cinfo);
            throw Failure("JPEG エラー #" + std::to_string(code));
        }
        jpeg_create_decompress(&cinfo);
        jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes_.data()), bytes_.size());
        jpeg_read_header(&cinfo, TRUE);
        width_ = static_cast<int>(cinfo.image_width);
        height_ = static_cast<int>(cinfo.image_height);
        jpeg_destroy_decompress(&cinfo);
    }
    int width() const override { return width_; }
    int height() const override { return height_; }
    void draw(QPainter& painter, const QRect& target) const override {
        std::call_once(decodedOnce_, [this] { decoded_ = QImage::fromData(
            reinterpret_cast<const uchar*>(bytes_.data()), static_cast<int>(bytes_.size()), "JPEG"); });
        painter.drawImage(target, decoded_);
    }

private:
    struct ErrorManager {
        jpeg_error_mgr pub;
        std::jmp_buf jump;
    };
    static void onError(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1); }

    std::string bytes_;
    int width_ = 0;
    int height_ = 0;
    mutable std::once_flag decodedOnce_;
    mutable QImage decoded_;
};

} // namespace

Picture Picture::loadFromFile(const std::string& path) {
    throw Failure("ファイル \"" + path + "\" は開けません。");
}

Picture Picture::fromJpegBytes(std::string bytes) {
    return Picture(Kind::Jpeg, std::make_shared<SimpleJpegData>(std::move(bytes)));
}

void Picture::draw(QPainter& painter, const QRect& target) const {
    if (data_) {
        data_->draw(painter, target);
    }
}

} // namespace velmoa
