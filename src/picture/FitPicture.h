#pragma once

namespace velmoa {

// Where the shown picture goes in the client area: its displayed size and its top-left corner
// (negative when the picture is larger than the area and cut on both sides).
struct PictureBox {
    int left, top, width, height;
};

// A picture at most clientWidth - 10 by clientHeight - 10 keeps its size; any other is scaled,
// keeping its aspect, to the client side it overshoots by more pixels (the width on a tie), and
// is centred. Throws Failure for a picture with a side of 0.
PictureBox fitToClient(int pictureWidth, int pictureHeight, int clientWidth, int clientHeight);

} // namespace velmoa
