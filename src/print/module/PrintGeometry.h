#pragma once

namespace velmoa {

// a * b / c with a 64-bit product, rounded to the nearest whole number (halves away from zero).
int mulDiv(int a, int b, int c);

struct PrintSize {
    int width;
    int height;
};

// The picture scaled until one side meets the printable area: the width when the picture is
// wider in proportion than the page, the height otherwise (equal proportions included).
PrintSize pictureOnPage(int pictureWidth, int pictureHeight, int pageWidth, int pageHeight);

} // namespace velmoa
