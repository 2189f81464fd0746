#pragma once

// The start-up benchmark runs this program again as a child that starts the viewer the way the
// program does and exits once the first picture is painted.
constexpr const char* kStartUpChildFlag = "--start-up-child";
// argv: program, flag, "ahead" or "in-paint", picture file, number of Next steps after the first paint.
int runStartUpChild(int argc, char** argv);
