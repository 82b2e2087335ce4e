// Runs the path rules on one path (and a second one for the joins) and holds them to
// what callers rely on: forbidden characters never survive a replacement and a second
// replacement changes nothing; long forms carry the prefix once; root removal follows its
// steps; no result brings back a "/".
// Input: a flags byte, the first path (length-prefixed), the second path (the rest).

#include "core/StringBuffer.h"
#include "core/XString.h"
#include "fs/FileSys.h"
#include "fuzz/FuzzInput.h"
#include "log/Logger.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

using fuzzing::require;

namespace {

// The path as a host passes it, in UTF-16: taken from UTF-8 bytes (whatever is not
// UTF-8 is lost on the way) or from byte pairs (lone surrogates included).
void setPath(XString &path, const std::string &bytes, bool asUtf16) {
    std::vector<uint16_t> units;
    if (!asUtf16) {
        XString utf8;
        utf8.setFromUtf8(bytes.c_str());
        path.setFromUtf16(utf8.getUtf16());
        return;
    }
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        units.push_back(static_cast<uint16_t>(static_cast<unsigned char>(bytes[i]) |
                                              static_cast<unsigned char>(bytes[i + 1]) << 8));
    units.push_back(0);
    path.setFromUtf16(units.data());
}

std::string utf8Of(XString &x) {
    const StringBuffer &sb = x.getUtf8Sb();
    return std::string(sb.getString(), static_cast<size_t>(sb.getSize()));
}

std::string slashesTurned(std::string s) {
    for (char &c : s)
        if (c == '/') c = '\\';
    return s;
}

bool beginsWith(const std::string &s, const char *prefix) {
    return s.compare(0, std::strlen(prefix), prefix) == 0;
}

// UTF-16 units in the UTF-8 text before position end.
size_t unitsBefore(const std::string &s, size_t end) {
    size_t units = 0;
    for (size_t i = 0; i < end; ++i) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if ((c & 0xC0) != 0x80) units += c >= 0xF0 ? 2 : 1;
    }
    return units;
}

bool beginsWithDevice(const std::string &name) {
    std::string lower = name.substr(0, 7);
    for (char &c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    for (const char *device : {"con.", "clock$.", "prn.", "aux.", "nul."})
        if (beginsWith(lower, device)) return true;
    return (beginsWith(lower, "com") || beginsWith(lower, "lpt")) && lower.size() >= 5 &&
           lower[3] >= '0' && lower[3] <= '9' && lower[4] == '.';
}

std::string namePart(const std::string &path) {
    XString x, part;
    x.setFromUtf8(path.c_str());
    FileSys::getFileNamePart(x, part);
    return utf8Of(part);
}

void checkReplacement(const std::string &before, XString &path, bool devices, LogBase *log) {
    FileSys::replaceForbiddenChars(path, devices, log);
    std::string after = utf8Of(path);
    require(after.find_first_of("|*<>\"\r\n") == std::string::npos,
            "a forbidden character survived");

    size_t question = after.find('?');
    if (question != std::string::npos) {
        require(after.find('?', question + 1) == std::string::npos, "a second ? survived");
        require(question >= 2 && after.compare(question - 2, 2, "\\\\") == 0,
                "a ? survived outside the long-path prefix");
    }
    // A path whose first character is a colon is left alone. Device names are escaped
    // after the colons, so "_" put before a device name may push a kept colon to index 8,
    // where a second replacement takes it.
    size_t colon = after.find(':');
    if (colon != std::string::npos && !beginsWith(before, ":")) {
        require(after.find(':', colon + 1) == std::string::npos, "a second : survived");
        size_t index = unitsBefore(after, colon);
        require(index <= (devices ? 8u : 7u), "a : survived past the drive");
        if (index == 8) return;
    }

    // The device step escapes the last match in the text, which need not be the one that
    // begins the name part (after ".." or within the name); while a device name still
    // begins the name part, every step escapes again.
    if (devices && beginsWithDevice(namePart(after))) return;
    XString again;
    again.copyFrom(path);
    FileSys::replaceForbiddenChars(again, devices, nullptr);
    fuzzing::requireSame(utf8Of(again), after, "a second replacement changed the path");
}

// Root removal step by step, on the path with its slashes turned.
std::string plainStrip(std::string s) {
    if (beginsWith(s, "\\\\?\\UNC\\"))
        s = "\\\\" + s.substr(8);
    else if (beginsWith(s, "\\\\?\\"))
        s = s.substr(4);
    size_t from = 0;
    if (beginsWith(s, "\\\\")) {
        size_t server = s.find('\\', 2);
        size_t share = server == std::string::npos ? server : s.find('\\', server + 1);
        if (share == std::string::npos) return std::string();
        from = share + 1;
    } else if (s.size() >= 2 && s[1] == ':') {
        from = 2;
    }
    from = std::min(s.find_first_not_of('\\', from), s.size());
    return s.substr(from);
}

void checkForms(XString &path) {
    std::string normalized = slashesTurned(utf8Of(path));

    XString full;
    FileSys::getFullPath(path, full);
    require(utf8Of(full).find('/') == std::string::npos, "a full path kept a /");

    XString longForm, longer;
    FileSys::toLongPathForm(path, longForm);
    require(beginsWith(utf8Of(longForm), "\\\\?\\"), "a long form lacks its prefix");
    FileSys::toLongPathForm(longForm, longer);
    fuzzing::requireSame(utf8Of(longer), utf8Of(longForm),
                         "a long form changed when made long again");

    XString name;
    FileSys::getFileNamePart(path, name);

    XString stripped;
    stripped.copyFrom(path);
    FileSys::stripPathRoot(stripped);
    std::string rest = utf8Of(stripped);
    fuzzing::requireSame(rest, plainStrip(normalized), "root removal differs from its steps");
}

void checkJoins(XString &dir, XString &other) {
    XString trimmed;
    trimmed.copyFrom(dir);
    trimmed.trim2();
    std::string start = slashesTurned(utf8Of(trimmed));

    XString joined;
    FileSys::joinDirAndRelativePath(dir, other, joined);
    std::string text = utf8Of(joined);
    require(text.find('/') == std::string::npos, "a joined path kept a /");
    require(beginsWith(text, start.c_str()), "a joined path lost its directory");

    FileSys::joinDirAndFileName(dir, other, joined);
    require(beginsWith(utf8Of(joined), start.c_str()), "a joined name lost its directory");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzzing::FuzzInput input(data, size);
    uint8_t flags = input.byte();
    std::string first = input.text();
    std::string second = input.rest();

    XString path, other;
    setPath(path, first, flags & 1);
    setPath(other, second, flags & 2);

    checkForms(path);
    checkJoins(path, other);

    Logger log;
    XString replaced;
    replaced.copyFrom(path);
    checkReplacement(utf8Of(path), replaced, flags & 4, flags & 8 ? &log : nullptr);
    return 0;
}
