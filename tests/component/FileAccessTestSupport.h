// Shared by the component tests: a fixture with a fresh directory and a
// ClsFileAccess, and the log renderings as std::string.
#pragma once

#include "component/ClsFileAccess.h"
#include "tests/fs/FsTestSupport.h"

#include <string>
#include <vector>

namespace comptest {

using fstest::utf8;
using fstest::X;

// Lines joined with CR LF after each, as the renderings end their lines.
inline std::string crlfLines(const std::vector<std::string> &lines) {
    std::string out;
    for (const std::string &line : lines)
        out += line + "\r\n";
    return out;
}

inline std::string lastErrorText(ClsBase &object) {
    XString text;
    object.get_LastErrorText(text);
    return utf8(text);
}

inline std::string lastErrorXml(ClsBase &object) {
    XString xml;
    object.get_LastErrorXml(xml);
    return utf8(xml);
}

inline bool logHas(ClsBase &object, const std::string &text) {
    return lastErrorText(object).find(text) != std::string::npos;
}

inline std::string bytesOf(const DataBuffer &data) {
    return std::string(reinterpret_cast<const char *>(data.getData()), data.getSize());
}

struct Bytes : DataBuffer {
    explicit Bytes(const std::string &bytes) {
        append(bytes.data(), static_cast<uint32_t>(bytes.size()));
    }
};

class FileAccessTest : public fstest::FsTest {
protected:
    X at(const std::string &name) const { return X(path(name)); }
    ClsFileAccess fa;
};

} // namespace comptest
