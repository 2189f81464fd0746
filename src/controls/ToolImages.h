#pragma once

#include <QIcon>
#include <QPixmap>

namespace velmoa {

// The tool bars' image list: ten 16 x 16 drawings on a transparent background.
enum ToolImage {
    ImageOpen = 0,
    ImageClose = 1,
    ImageStart = 2,
    ImageStop = 3,
    ImageBack = 4,
    ImageNext = 5,
    ImageEnlarge = 6,
    ImageReduce = 7,
    ImageAbout = 8,
    ImagePrint = 9,
    ToolImageCount = 10
};

QPixmap toolImage(int index);
QIcon toolIcon(int index);

// The application icon (32 x 32) and the About box picture.
QIcon applicationIcon();
QPixmap applicationPicture();

} // namespace velmoa
