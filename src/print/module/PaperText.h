#pragma once

class QTextDocument;

namespace velmoa {

// Text that is white, or has no colour of its own (shown white on the black document view),
// would vanish on paper: it is made black. Other colours stay.
void makeTextReadableOnPaper(QTextDocument& document);

} // namespace velmoa
