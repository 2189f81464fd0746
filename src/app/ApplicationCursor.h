#pragma once

namespace velmoa {

// The application-wide mouse pointer: normal, or hidden over all the application's windows.
void setApplicationCursorHidden(bool hidden);
bool applicationCursorHidden();

} // namespace velmoa
