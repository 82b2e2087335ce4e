#include "fs/FileSys.h"

#include "core/StringBuffer.h"
#include "core/XString.h"
#include "fs/TarnixRand.h"

#include <cstring>

namespace {

// The first candidate and this many more are tested before giving up.
const int maxFurtherCandidates = 200;

const DWORD userNameChars = 400;
const DWORD computerNameChars = 118;

} // namespace

void FileSys::appendRandomChars(StringBuffer &out) {
    TarnixRand random;
    for (int i = 0; i < 4; ++i) {
        uint32_t r = random.randomRange(0, 35);
        out.appendChar(r < 26 ? static_cast<char>('A' + r) : static_cast<char>('0' + (r - 26)));
    }
}

bool FileSys::makeTempFileName(const char *utf8Dir, const char *utf8Prefix, XString &outPath,
                               LogBase *log) {
    StringBuffer directory(utf8Dir ? utf8Dir : "");
    char last = directory.lastChar();
    if (last != '/' && last != '\\') directory.appendChar('/');

    StringBuffer name(utf8Prefix && *utf8Prefix ? utf8Prefix : "x");
    if (!name.containsChar('.')) name.append(".tmp");
    const char *nameText = name.getString();
    const char *dot = strchr(nameText, '.');
    StringBuffer base;
    base.appendN(nameText, static_cast<int>(dot - nameText));
    const char *extension = dot;

    StringBuffer candidateName(base);
    candidateName.appendChar('_');
    appendRandomChars(candidateName);
    candidateName.append(extension);
    XString xdir;
    xdir.setFromUtf8(directory.getString());
    XString xname;
    xname.setFromUtf8(candidateName.getString());
    XString candidate;
    joinDirAndFileName(xdir, xname, candidate);

    for (int further = 0; fileExists(candidate, nullptr); ++further) {
        if (further == maxFurtherCandidates) {
            outPath.clear();
            return false;
        }
        StringBuffer next(directory);
        next.appendSb(base);
        next.appendChar('_');
        appendRandomChars(next);
        next.append(extension);
        candidate.setFromUtf8(next.getString());
    }
    candidate.replaceAllOccurrencesUtf8("/", "\\");
    outPath.copyFrom(candidate);
    return true;
}

void FileSys::getUserName(StringBuffer &out) {
    char name[userNameChars + 1];
    DWORD size = userNameChars;
    if (GetUserNameA(name, &size)) out.append(name);
}

void FileSys::getComputerName(StringBuffer &out) {
    char name[computerNameChars + 1];
    DWORD size = computerNameChars;
    if (GetComputerNameA(name, &size)) out.append(name);
}
