#pragma once

#include <QImage>
#include <QSize>
#include <cstdint>
#include <vector>

namespace velmoa {

// Shrinks a picture by area averaging as its rows arrive, top to bottom: each output pixel is the
// mean of the input area it covers, fractions of pixels weighed by the part covered. Only the
// output and one row of sums are held, never the whole input, so a decode made for a smaller
// shown size never keeps its full-size rows.
class AreaResampler {
  public:
    // Whether input can be shrunk to output here: neither side grows, none is empty.
    static bool shrinks(const QSize& input, const QSize& output);

    // input and output must pass shrinks().
    AreaResampler(const QSize& input, const QSize& output);

    // The next input row, input.width() pixels of RGB32. Rows past input.height() are ignored.
    void addRow(const QRgb* row);
    // Whether memory for the output was found.
    bool hasOutput() const { return !image_.isNull(); }
    // The output (RGB32) once every input row has been added.
    QImage take();

  private:
    struct Span {
        int first = 0;          // first input pixel (or row) that covers the output one
        std::uint32_t head = 0; // how much of it, in units of 1 / output side
        int last = 0;           // last input pixel (or row)
        std::uint32_t tail = 0; // how much of the last one
    };
    static std::vector<Span> spans(int inputSide, int outputSide);
    void emitRow(int y);

    QSize input_, output_;
    QImage image_;
    std::vector<Span> columns_;
    std::vector<Span> rows_;
    std::vector<std::uint32_t> rowSums_; // current input row shrunk across, 3 per output pixel
    std::vector<std::uint64_t> sums_;    // current output row, 3 per pixel
    int inputRow_ = 0;
    int outputRow_ = 0;
};

} // namespace velmoa
