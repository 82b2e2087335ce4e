#pragma once

#include "platform/Win32.h"

#include <cstdint>

class StringBuffer;
class XString;

// The log every fallible operation records in. Each virtual operation defaults to
// doing nothing and returning true; Logger records, LogNull discards.
class LogBase {
public:
    LogBase() {}
    virtual ~LogBase();

    virtual void getXml(StringBuffer &out);
    virtual void getHtml(StringBuffer &out);
    virtual void getText(StringBuffer &out);
    virtual bool saveXml(bool flag, const char *path);
    virtual bool logError(const char *text);
    virtual bool logInfo(const char *text);
    virtual bool logRaw(const char *text);
    virtual bool clearLog();
    virtual bool enterContext(const char *tag, bool flag);
    virtual bool leaveContext();
    virtual bool logData(const char *tag, const char *value);

    // Conveniences built on the operations above.
    void logDataLong(const char *tag, int value);
    void logDataInt64(const char *tag, int64_t value);
    void logDataHex32(const char *tag, uint32_t value);
    void logDataHexDump(const char *tag, const void *bytes, int n);
    // The string's UTF-8 form as the value.
    void logDataX(const char *tag, XString &value);
    void logMemoryAllocFailed(int failurePoint, int numBytes);
    void logLastWindowsError();
    void logWindowsError(DWORD code);
};

// A log whose entries nobody reads.
class LogNull : public LogBase {
public:
    ~LogNull() override;
};
