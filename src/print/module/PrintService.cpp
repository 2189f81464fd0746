#include "print/module/PrintService.h"

#include <QPrinter>

#include <cups/cups.h>

namespace velmoa {

std::string printServiceRefusal(const QPrinter& printer) {
    // A job written to a file never reaches the service.
    if (printer.outputFormat() != QPrinter::NativeFormat) {
        return {};
    }
    // The status of this thread's last request to the service: the job that Qt has just sent.
    const ipp_status_t status = cupsLastError();
    if (status <= IPP_STATUS_OK_EVENTS_COMPLETE) {
        return {};
    }
    const char* reason = cupsLastErrorString();
    return reason && *reason ? reason : ippErrorString(status);
}

} // namespace velmoa
