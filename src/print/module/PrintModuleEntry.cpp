// The print module's one entry point, found by name when the program opens the module.
#include "print/module/DialogPrinting.h"

// Declared for the module's own sake: the program binds the name at run time (ModulePrinting).
extern "C" velmoa::PrintJobs* velmoa_print_jobs(velmoa::PrintDialog* dialog);

extern "C" __attribute__((visibility("default"))) velmoa::PrintJobs*
velmoa_print_jobs(velmoa::PrintDialog* dialog) {
    return new velmoa::DialogPrinting(dialog);
}
