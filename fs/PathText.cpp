#include "fs/PathText.h"

#include "core/XString.h"
#include "fs/FileSys.h"
#include "fs/WindowsVersion.h"

namespace pathtext {

void copyNormalized(const XString &path, XString &out) {
    out.copyFrom(path);
    out.replaceAllOccurrencesUtf8("/", "\\");
}

void longFormUnlessEmpty(const XString &path, XString &out) {
    if (path.isEmpty()) {
        out.clear();
        return;
    }
    FileSys::toLongPathForm(path, out);
}

bool prefersAnsiCall(XString &normalizedPath, const WindowsVersion &version) {
    if (normalizedPath.getNumChars() >= FileSys::maxPlainPath) return false;
    return version.isLegacyOs() || normalizedPath.canBeAnsi();
}

int utf16UnitsIn(const char *begin, const char *end) {
    int units = 0;
    for (const char *p = begin; p < end; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        if ((c & 0xC0) == 0x80) continue;
        // Four-byte sequences lie outside the BMP and need a surrogate pair.
        units += c >= 0xF0 ? 2 : 1;
    }
    return units;
}

} // namespace pathtext
