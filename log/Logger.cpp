#include "log/Logger.h"

#include "core/StringBuffer.h"
#include "fs/FileSys.h"
#include "log/DebugLogLine.h"
#include "log/LogEntry2.h"
#include "log/LogRendering.h"

#include <cstring>

namespace {

bool isTrimmed(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Nearly every tag is written clean: nothing to trim and no space to replace, so the
// copy that cleaning takes can be left out.
bool isCleanTag(const char *tag) {
    if (tag == nullptr || tag[0] == 0) return false;
    size_t length = strlen(tag);
    return !isTrimmed(tag[0]) && !isTrimmed(tag[length - 1]) && strchr(tag, ' ') == nullptr;
}

} // namespace

Logger::Logger() : m_depth(0) {}

Logger::~Logger() {}

void Logger::getXml(StringBuffer &out) {
    CritSecLock lock(*this);
    out.clear();
    const LogEntry2 *root = m_errorLog.getRoot();
    if (root != nullptr) appendLogXml(*root, out);
}

void Logger::getHtml(StringBuffer &out) {
    CritSecLock lock(*this);
    out.clear();
    const LogEntry2 *root = m_errorLog.getRoot();
    if (root != nullptr) appendLogHtml(*root, out);
}

void Logger::getText(StringBuffer &out) {
    CritSecLock lock(*this);
    out.clear();
    const LogEntry2 *root = m_errorLog.getRoot();
    if (root != nullptr) appendLogText(*root, 0, out);
}

bool Logger::saveXml(bool, const char *path) {
    CritSecLock lock(*this);
    StringBuffer xml;
    getXml(xml);
    XString filePath;
    filePath.setFromUtf8(path);
    return FileSys::writeEntireFile(filePath, xml.getString(), xml.getSize(), nullptr);
}

bool Logger::logMessage(char type, const char *text) {
    if (text == nullptr) return true;
    CritSecLock lock(*this);
    m_errorLog.appendEntry(type, nullptr, text);
    DebugLogLine line(m_debugLogPath, m_depth);
    if (line.stream() != nullptr) fprintf(line.stream(), "%*s%s\r\n", line.indentation(), "", text);
    return true;
}

bool Logger::logError(const char *text) {
    return logMessage(LogEntry2::typeError, text);
}

bool Logger::logInfo(const char *text) {
    return logMessage(LogEntry2::typeInfo, text);
}

bool Logger::logRaw(const char *text) {
    if (text == nullptr) return true;
    CritSecLock lock(*this);
    m_errorLog.appendEntry(LogEntry2::typeRaw, nullptr, text);
    return true;
}

bool Logger::clearLog() {
    CritSecLock lock(*this);
    m_errorLog.clear();
    m_depth = 0;
    return true;
}

bool Logger::enterContext(const char *tag, bool) {
    CritSecLock lock(*this);
    m_errorLog.enterContext(tag);
    {
        DebugLogLine line(m_debugLogPath, m_depth);
        if (line.stream() != nullptr) {
            fprintf(line.stream(), "%*s%s:\r\n", line.indentation(), "", tag != nullptr ? tag : "");
        }
    }
    ++m_depth;
    return true;
}

bool Logger::leaveContext() {
    CritSecLock lock(*this);
    m_errorLog.leaveContext();
    {
        DebugLogLine line(m_debugLogPath, m_depth);
        if (line.stream() != nullptr)
            fprintf(line.stream(), "%*s(leaveContext)\r\n", line.indentation(), "");
    }
    if (m_depth > 0) --m_depth;
    return true;
}

bool Logger::logData(const char *tag, const char *value) {
    if (isCleanTag(tag)) return logTagged(tag, value);
    // The tag becomes an XML element name, so it must not be empty or hold spaces.
    StringBuffer cleanTag(tag);
    cleanTag.trim2();
    cleanTag.replaceChar(' ', '_');
    if (cleanTag.getSize() == 0) return false;
    return logTagged(cleanTag.getString(), value);
}

bool Logger::logTagged(const char *tag, const char *value) {
    if (value == nullptr) value = "(NULL)";
    CritSecLock lock(*this);
    m_errorLog.appendEntry(LogEntry2::typeTagged, tag, value);
    DebugLogLine line(m_debugLogPath, m_depth);
    if (line.stream() != nullptr)
        fprintf(line.stream(), "%*s%s: %s\r\n", line.indentation(), "", tag, value);
    return true;
}

void Logger::setDebugLogFilePath(const XString &path) {
    CritSecLock lock(*this);
    m_debugLogPath.copyFrom(path);
}

void Logger::getDebugLogFilePath(XString &out) {
    CritSecLock lock(*this);
    out.copyFrom(m_debugLogPath);
}
