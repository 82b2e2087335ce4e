#pragma once

#include "core/TarnixCritSec.h"
#include "core/XString.h"
#include "log/ErrorLog.h"
#include "log/LogBase.h"

// The log each component object owns: a tree of contexts and entries, rendered for
// the host as text, XML or HTML, and mirrored line by line to a debug file when a
// path is set. Every operation holds the log's recursive lock for its whole work.
class Logger : public LogBase, public TarnixCritSec {
public:
    Logger();
    ~Logger() override;
    Logger(const Logger &) = delete;
    Logger &operator=(const Logger &) = delete;

    void getXml(StringBuffer &out) override;
    void getHtml(StringBuffer &out) override;
    void getText(StringBuffer &out) override;
    // Writes the XML rendering as the whole file; path is UTF-8. The flag is unused.
    bool saveXml(bool flag, const char *path) override;
    bool logError(const char *text) override;
    bool logInfo(const char *text) override;
    bool logRaw(const char *text) override;
    bool clearLog() override;
    // The flag is unused.
    bool enterContext(const char *tag, bool flag) override;
    bool leaveContext() override;
    // The tag is trimmed and its spaces become underscores; false when nothing is
    // left. A null value is recorded as "(NULL)".
    bool logData(const char *tag, const char *value) override;

    // Empty: no debug file.
    void setDebugLogFilePath(const XString &path);
    void getDebugLogFilePath(XString &out);

private:
    bool logMessage(char type, const char *text);
    // logData once the tag is clean.
    bool logTagged(const char *tag, const char *value);

    ErrorLog m_errorLog;
    int32_t m_depth;
    XString m_debugLogPath;
};
