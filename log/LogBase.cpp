#include "log/LogBase.h"

#include "core/StringBuffer.h"

#include <cstdio>

LogBase::~LogBase() {}

void LogBase::getXml(StringBuffer &) {}

void LogBase::getHtml(StringBuffer &) {}

void LogBase::getText(StringBuffer &) {}

bool LogBase::saveXml(bool, const char *) {
    return true;
}

bool LogBase::logError(const char *) {
    return true;
}

bool LogBase::logInfo(const char *) {
    return true;
}

bool LogBase::logRaw(const char *) {
    return true;
}

bool LogBase::clearLog() {
    return true;
}

bool LogBase::enterContext(const char *, bool) {
    return true;
}

bool LogBase::leaveContext() {
    return true;
}

bool LogBase::logData(const char *, const char *) {
    return true;
}

void LogBase::logDataLong(const char *tag, int value) {
    char text[16];
    intToDecimal(value, text);
    logData(tag, text);
}

void LogBase::logDataInt64(const char *tag, int64_t value) {
    char text[24];
    int64ToDecimal(value, text);
    logData(tag, text);
}

void LogBase::logDataHex32(const char *tag, uint32_t value) {
    char text[16];
    snprintf(text, sizeof text, "0x%x", static_cast<unsigned int>(value));
    logData(tag, text);
}

void LogBase::logDataHexDump(const char *tag, const void *bytes, int n) {
    if (n == 0) {
        logData(tag, "(empty)");
        return;
    }
    // A dump cut short by a failed allocation is still worth recording.
    StringBuffer dump;
    dump.appendHexDump(bytes, n);
    dump.trim2();
    logData(tag, dump.getString());
}

void LogBase::logMemoryAllocFailed(int failurePoint, int numBytes) {
    logError("Memory allocation failed.");
    logDataLong("failurePoint", failurePoint);
    logDataLong("numBytes", numBytes);
}

void LogBase::logLastWindowsError() {
    // Taken before anything here can allocate and overwrite it.
    DWORD code = GetLastError();
    StringBuffer text;
    text.appendWindowsError(code);
    logData("WindowsError", text.getString());
    logDataHex32("WindowsErrorCode", code);
}

void LogBase::logWindowsError(DWORD code) {
    if (code == 0) return;
    StringBuffer text;
    text.appendWindowsError(code);
    logData("WindowsError", text.getString());
}

LogNull::~LogNull() {}
