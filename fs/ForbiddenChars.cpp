#include "fs/FileSys.h"

#include "core/StringBuffer.h"
#include "core/XString.h"
#include "fs/PathText.h"
#include "log/LogBase.h"

#include <cctype>
#include <cstring>

namespace {

struct CharRule {
    char forbidden;
    const char *message;
};

// The characters after the colon and the question mark, in the order they are handled.
const CharRule simpleRules[] = {
    {'*', "The asterisk character is not allowed in Windows filenames."},
    {'<', "The open-angle-bracket character is not allowed in Windows filenames."},
    {'>', "The close-angle-bracket character is not allowed in Windows filenames."},
    {'"', "The double-quote character is not allowed in Windows filenames."},
};

void logStep(LogBase *log, const char *message, const StringBuffer &before) {
    if (log == nullptr) return;
    log->logInfo(message);
    log->logData("filename", before.getString());
}

void replaceEvery(StringBuffer &work, char c) {
    const char find[2] = {c, 0};
    work.replaceAllOccurrences(find, "_");
}

void replaceColons(StringBuffer &work, LogBase *log) {
    const char *text = work.getString();
    const char *colon = strchr(text, ':');
    if (colon == nullptr) return;
    int index = pathtext::utf16UnitsIn(text, colon);
    if (index == 0) return;
    if (index <= 7) {
        // A drive colon, perhaps behind "\\?\": only the colons after it go.
        if (strchr(colon + 1, ':') == nullptr) return;
        logStep(log, "The : character is not allowed in Windows filenames..", work);
        work.replaceFirstOccurrence(":", "_COLON_");
        work.replaceAllOccurrences(":", "_");
        work.replaceFirstOccurrence("_COLON_", ":");
    } else {
        logStep(log, "The : character is not allowed in Windows filenames.", work);
        work.replaceAllOccurrences(":", "_");
    }
    if (log) log->logData("modifiedFilename", work.getString());
}

void replaceQuestionMarks(StringBuffer &work, LogBase *log) {
    const char *message = "The ? character is not allowed in Windows filenames.";
    if (!work.contains("\\\\?")) {
        if (!work.containsChar('?')) return;
        logStep(log, message, work);
        replaceEvery(work, '?');
        return;
    }
    StringBuffer before(work);
    // The long-path prefix keeps its question mark.
    work.replaceFirstOccurrence("\\\\?", "\\\\_QM_");
    if (work.containsChar('?')) {
        logStep(log, message, before);
        replaceEvery(work, '?');
    }
    work.replaceFirstOccurrence("\\\\_QM_", "\\\\?");
}

bool startsWithNoCase(const char *text, const char *prefix) {
    for (; *prefix; ++prefix, ++text) {
        if (tolower(static_cast<unsigned char>(*text)) != *prefix) return false;
    }
    return true;
}

// Length of the device word and its full stop that begins name, 0 when none does.
int deviceNameLength(const char *name) {
    static const char *const devices[] = {"con.", "clock$.", "prn.", "aux.", "nul."};
    for (const char *device : devices) {
        if (startsWithNoCase(name, device)) return static_cast<int>(strlen(device));
    }
    if ((startsWithNoCase(name, "com") || startsWithNoCase(name, "lpt")) && name[3] >= '0' &&
        name[3] <= '9' && name[4] == '.')
        return 5;
    return 0;
}

void escapeDeviceName(StringBuffer &work) {
    XString current;
    current.setFromUtf8(work.getString());
    XString namePart;
    FileSys::getFileNamePart(current, namePart);
    const char *name = namePart.getUtf8();
    int length = deviceNameLength(name);
    if (length == 0) return;

    StringBuffer device;
    device.appendN(name, length);
    StringBuffer escapedDevice("_");
    escapedDevice.appendSb(device);

    bool hasSlash = work.containsChar('/');
    if (hasSlash || work.containsChar('\\')) {
        // Only behind the path's separator: a bare match could sit inside the name, and
        // each replacement would escape it again.
        char separator = hasSlash ? '/' : '\\';
        StringBuffer find;
        find.appendChar(separator);
        find.appendSb(device);
        StringBuffer replacement;
        replacement.appendChar(separator);
        replacement.appendSb(escapedDevice);
        work.replaceLastOccurrence(find.getString(), replacement.getString());
        return;
    }
    work.replaceLastOccurrence(device.getString(), escapedDevice.getString());
}

} // namespace

void FileSys::replaceForbiddenChars(XString &path, bool replaceDeviceNames, LogBase *log) {
    StringBuffer work(path.getUtf8());
    replaceColons(work, log);
    if (work.containsChar('|')) {
        logStep(log, "The | character is not allowed in Windows filenames.", work);
        replaceEvery(work, '|');
    }
    replaceQuestionMarks(work, log);
    for (const CharRule &rule : simpleRules) {
        if (!work.containsChar(rule.forbidden)) continue;
        logStep(log, rule.message, work);
        replaceEvery(work, rule.forbidden);
    }
    work.replaceAllOccurrences("\r", "");
    work.replaceAllOccurrences("\n", "");
    if (replaceDeviceNames) escapeDeviceName(work);
    // Taken as it is: a leading U+FEFF is part of the name, not a byte order mark.
    if (!path.equalsUtf8(work.getString())) path.takeUtf8Sb(work);
}
