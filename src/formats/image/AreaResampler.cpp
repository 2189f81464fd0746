#include "formats/image/AreaResampler.h"

namespace velmoa {

bool AreaResampler::shrinks(const QSize& input, const QSize& output) {
    return !input.isEmpty() && !output.isEmpty() && output.width() <= input.width() &&
           output.height() <= input.height();
}

// Output pixel o covers [o * in, (o + 1) * in) and input pixel i covers [i * out, (i + 1) * out),
// both measured in units of 1 / (in * out) of the picture's side, so every overlap is a whole number.
std::vector<AreaResampler::Span> AreaResampler::spans(int inputSide, int outputSide) {
    std::vector<Span> result(static_cast<std::size_t>(outputSide));
    const std::int64_t in = inputSide, out = outputSide;
    for (std::int64_t o = 0; o < out; ++o) {
        const std::int64_t begin = o * in, end = (o + 1) * in;
        Span& span = result[static_cast<std::size_t>(o)];
        span.first = static_cast<int>(begin / out);
        span.last = static_cast<int>((end - 1) / out);
        if (span.first == span.last) {
            span.head = span.tail = static_cast<std::uint32_t>(end - begin);
        } else {
            span.head = static_cast<std::uint32_t>((span.first + 1) * out - begin);
            span.tail = static_cast<std::uint32_t>(end - span.last * out);
        }
    }
    return result;
}

AreaResampler::AreaResampler(const QSize& input, const QSize& output)
    : input_(input), output_(output), image_(output, QImage::Format_RGB32),
      columns_(spans(input.width(), output.width())), rows_(spans(input.height(), output.height())),
      rowSums_(static_cast<std::size_t>(output.width()) * 3),
      sums_(static_cast<std::size_t>(output.width()) * 3) {}

void AreaResampler::addRow(const QRgb* row) {
    if (inputRow_ >= input_.height() || image_.isNull()) {
        return;
    }
    // Across: each output pixel sums the input pixels it covers, weighed by the overlap.
    const std::uint32_t out = static_cast<std::uint32_t>(output_.width());
    for (int x = 0; x < output_.width(); ++x) {
        const Span& span = columns_[static_cast<std::size_t>(x)];
        std::uint32_t r = 0, g = 0, b = 0;
        auto add = [&](QRgb p, std::uint32_t weight) {
            r += qRed(p) * weight;
            g += qGreen(p) * weight;
            b += qBlue(p) * weight;
        };
        if (span.first == span.last) {
            add(row[span.first], span.head);
        } else {
            add(row[span.first], span.head);
            for (int i = span.first + 1; i < span.last; ++i) {
                add(row[i], out);
            }
            add(row[span.last], span.tail);
        }
        std::uint32_t* sum = &rowSums_[static_cast<std::size_t>(x) * 3];
        sum[0] = r;
        sum[1] = g;
        sum[2] = b;
    }
    // Down: the row adds to the output rows it covers (at most two, as no side grows).
    while (outputRow_ < output_.height()) {
        const Span& span = rows_[static_cast<std::size_t>(outputRow_)];
        std::uint64_t weight = static_cast<std::uint64_t>(output_.height());
        if (inputRow_ == span.first) {
            weight = span.head;
        } else if (inputRow_ == span.last) {
            weight = span.tail;
        }
        for (std::size_t i = 0; i < sums_.size(); ++i) {
            sums_[i] += weight * rowSums_[i];
        }
        if (inputRow_ < span.last) {
            break;
        }
        emitRow(outputRow_++);
        if (outputRow_ >= output_.height() || rows_[static_cast<std::size_t>(outputRow_)].first > inputRow_) {
            break;
        }
    }
    ++inputRow_;
}

void AreaResampler::emitRow(int y) {
    // Every output pixel covers input width x input height units of sums.
    const std::uint64_t area =
        static_cast<std::uint64_t>(input_.width()) * static_cast<std::uint64_t>(input_.height());
    auto* line = reinterpret_cast<QRgb*>(image_.scanLine(y));
    for (int x = 0; x < output_.width(); ++x) {
        std::uint64_t* sum = &sums_[static_cast<std::size_t>(x) * 3];
        line[x] =
            qRgb(static_cast<int>((sum[0] + area / 2) / area), static_cast<int>((sum[1] + area / 2) / area),
                 static_cast<int>((sum[2] + area / 2) / area));
        sum[0] = sum[1] = sum[2] = 0;
    }
}

QImage AreaResampler::take() {
    return std::move(image_);
}

} // namespace velmoa
