// Printing the shown picture on one page and the document page by page.
#include "app/TzorvForm1.h"

namespace velmoa {

void TzorvForm1::ActPrintExecute() {}

void TzorvForm1::ActCharPrintExecute() {}

} // namespace velmoa
