// Defines the GUIDs the type library source fixes, once for the whole module.
#include <initguid.h>

#include "automation/TarnixFileAccess_h.h"
