#pragma once

// Stops the process at once: an internal object was used after destruction or
// overwritten. Only a defect in the calling code can get here.
[[noreturn]] void txFatalInternalError(const char *what);
