#include "core/XString.h"
#include "log/LogBase.h"

void LogBase::logDataX(const char *tag, XString &value) {
    logData(tag, value.getUtf8());
}
