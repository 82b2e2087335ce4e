#include "core/Fatal.h"

#include <cstdio>
#include <cstdlib>

void txFatalInternalError(const char *what) {
    // Nothing of the process can be trusted any more: report on stderr and stop,
    // without unwinding, running destructors or flushing the caller's state.
    fprintf(stderr, "TarnixFileAccess: fatal internal error: %s\n", what ? what : "(unknown)");
    fflush(stderr);
    abort();
}
