#pragma once

#include <string>

class QPrinter;

namespace velmoa {

// Qt hands a finished job to the system's print service (CUPS) without telling whether the service
// took it. Asked right after the painter has ended, this is the service's reason for refusing the
// job (a queue that rejects jobs, a printer that has gone), or empty when it was taken.
std::string printServiceRefusal(const QPrinter& printer);

} // namespace velmoa
