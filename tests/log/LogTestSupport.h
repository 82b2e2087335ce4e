#pragma once

#include "core/StringBuffer.h"
#include "core/XString.h"
#include "log/Logger.h"

#include <gtest/gtest.h>

#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

// Starts from stale bytes, so every rendering a test reads also shows that it replaces the
// caller's buffer rather than appending to it.
inline std::string render(Logger &log, void (Logger::*get)(StringBuffer &)) {
    StringBuffer out("stale");
    (log.*get)(out);
    return std::string(out.getString(), static_cast<size_t>(out.getSize()));
}

inline std::string textOf(Logger &log) {
    return render(log, &Logger::getText);
}

inline std::string xmlOf(Logger &log) {
    return render(log, &Logger::getXml);
}

inline std::string htmlOf(Logger &log) {
    return render(log, &Logger::getHtml);
}

// Each line ended by CR LF, as every rendering and the debug file end them.
inline std::string crlf(std::initializer_list<std::string> lines) {
    std::string all;
    for (const std::string &line : lines)
        all += line + "\r\n";
    return all;
}

inline std::string rootText(const std::string &body) {
    return "TarnixLog:\r\n" + body + "--TarnixLog\r\n";
}

inline std::string rootXml(const std::string &body) {
    return "<TarnixLog>\r\n" + body + "</TarnixLog>\r\n";
}

inline void setDebugPath(Logger &log, const std::string &path) {
    XString xpath;
    xpath.setFromUtf8(path.c_str());
    log.setDebugLogFilePath(xpath);
}

// The whole file as bytes; "<missing>" when it cannot be opened.
inline std::string readWholeFile(const std::string &path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return "<missing>";
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// One call of a script: ">tag" enters a context, "<" leaves it, "!" clears the log, "e:",
// "i:" and "r:" record an error, info or raw text, anything else is "tag=value" data.
inline bool playStep(Logger &log, const std::string &step) {
    if (step[0] == '>') return log.enterContext(step.c_str() + 1, true);
    if (step == "<") return log.leaveContext();
    if (step == "!") return log.clearLog();
    if (step.rfind("e:", 0) == 0) return log.logError(step.c_str() + 2);
    if (step.rfind("i:", 0) == 0) return log.logInfo(step.c_str() + 2);
    if (step.rfind("r:", 0) == 0) return log.logRaw(step.c_str() + 2);
    size_t eq = step.find('=');
    return log.logData(step.substr(0, eq).c_str(), step.substr(eq + 1).c_str());
}

// Every step must report success.
inline void play(Logger &log, const std::vector<std::string> &steps) {
    for (const std::string &step : steps)
        EXPECT_TRUE(playStep(log, step)) << step;
}
