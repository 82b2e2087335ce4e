#pragma once

#include "core/StringBuffer.h"
#include "core/XString.h"
#include "log/Logger.h"

#include <cstdio>
#include <string>

inline std::string textOf(Logger &log) {
    StringBuffer out;
    log.getText(out);
    return std::string(out.getString(), static_cast<size_t>(out.getSize()));
}

inline std::string xmlOf(Logger &log) {
    StringBuffer out;
    log.getXml(out);
    return std::string(out.getString(), static_cast<size_t>(out.getSize()));
}

inline std::string htmlOf(Logger &log) {
    StringBuffer out;
    log.getHtml(out);
    return std::string(out.getString(), static_cast<size_t>(out.getSize()));
}

inline void setDebugPath(Logger &log, const std::string &path) {
    XString xpath;
    xpath.setFromUtf8(path.c_str());
    log.setDebugLogFilePath(xpath);
}

// The whole file as bytes; "<missing>" when it cannot be opened.
inline std::string readWholeFile(const std::string &path) {
    FILE *file = fopen(path.c_str(), "rb");
    if (file == nullptr) return "<missing>";
    std::string bytes;
    char chunk[4096];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.append(chunk, n);
    fclose(file);
    return bytes;
}

inline size_t countOccurrences(const std::string &haystack, const std::string &needle) {
    size_t count = 0;
    for (size_t at = haystack.find(needle); at != std::string::npos;
         at = haystack.find(needle, at + needle.size()))
        ++count;
    return count;
}
