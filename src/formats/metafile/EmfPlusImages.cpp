#include "formats/metafile/EmfPlusImages.h"

#include "formats/metafile/MetafileWorkBudget.h"

#include <QBuffer>
#include <QImageReader>
#include <algorithm>
#include <cmath>

namespace velmoa::emfplus {

QSize decodedSize(const Image& image, QSizeF scale) {
    const auto side = [](int full, double k) {
        const double wanted = std::ceil(full * std::abs(k));
        return std::isfinite(wanted) ? static_cast<int>(std::clamp(wanted, 1.0, double(full))) : full;
    };
    return QSize(side(image.pixels.width(), scale.width()), side(image.pixels.height(), scale.height()));
}

DecodedImage decodeImage(const Image& image, QSize size) {
    DecodedImage out;
    if (image.kind == Image::Kind::Pixels) {
        // Read in place: only the decoded size is ever allocated.
        const QImage rows(reinterpret_cast<const uchar*>(image.bytes.data()), image.pixels.width(),
                          image.pixels.height(), image.stride, image.format);
        out.pixels = size == rows.size() ? rows.copy()
                                         : rows.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    } else if (image.kind == Image::Kind::File) {
        QByteArray data =
            QByteArray::fromRawData(image.bytes.data(), static_cast<qsizetype>(image.bytes.size()));
        QBuffer buffer(&data);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        const QSize whole = reader.size();
        if (whole.isValid() && size != whole && reader.supportsOption(QImageIOHandler::ScaledSize)) {
            reader.setScaledSize(size);
        } else if (!whole.isValid() || std::int64_t{whole.width()} * whole.height() > kMaxDecodedPixels) {
            out.refused = whole.isValid();
            return out;
        }
        out.pixels = reader.read();
        if (!out.pixels.isNull() && out.pixels.size() != size) {
            out.pixels = out.pixels.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        }
    }
    if (image.swapRedBlue && !out.pixels.isNull()) {
        out.pixels = out.pixels.rgbSwapped().convertToFormat(QImage::Format_RGB32);
    }
    return out;
}

DecodedImage ImageCache::image(const Image& image, QSize size, MetafileWorkBudget& budget) {
    const auto found = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) {
        return e.id == image.id && e.pixels.size() == size;
    });
    if (found != entries_.end()) {
        std::rotate(found, found + 1, entries_.end());
        return {entries_.back().pixels, false};
    }
    // A file that cannot be decoded at its drawn size is decoded whole first.
    const double whole =
        std::min<double>(double(image.pixels.width()) * image.pixels.height(), kMaxDecodedPixels);
    if (!budget.decode(whole + double(size.width()) * size.height())) {
        return {};
    }
    DecodedImage decoded = decodeImage(image, size);
    const std::int64_t bytes = decoded.pixels.sizeInBytes();
    if (decoded.pixels.isNull() || bytes > kMaxBytes) {
        return decoded;
    }
    while (!entries_.empty() && bytes_ + bytes > kMaxBytes) {
        bytes_ -= entries_.front().pixels.sizeInBytes();
        entries_.erase(entries_.begin());
    }
    entries_.push_back({image.id, decoded.pixels});
    bytes_ += bytes;
    return decoded;
}

} // namespace velmoa::emfplus
