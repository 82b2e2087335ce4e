#include "fs/FileSys.h"

#include "core/XString.h"
#include "fs/FileDataSource.h"
#include "fs/OutputFile.h"
#include "fs/TarnixHandle.h"
#include "log/LogBase.h"

#include <new>

FileDataSource *FileSys::createFileDataSource(const char *utf8Path, LogBase *log) {
    XString path;
    path.setFromUtf8(utf8Path);
    uint32_t reason = 0;
    TarnixHandle *handle = openForReadWin32(path, reason, log);
    if (handle == nullptr) return nullptr;
    FileDataSource *source = new (std::nothrow) FileDataSource();
    if (source == nullptr) {
        delete handle;
        if (log) log->logMemoryAllocFailed(1, static_cast<int>(sizeof(FileDataSource)));
        return nullptr;
    }
    source->takeHandle(handle);
    source->setPath(utf8Path);
    return source;
}

OutputFile *FileSys::createOutputFile(const char *utf8Path, LogBase *log) {
    OutputFile *output = new (std::nothrow) OutputFile();
    if (output == nullptr) {
        if (log) log->logError("OutputFile: out of memory for new object. (1)");
        return nullptr;
    }
    output->setPath(utf8Path);
    deleteFileUtf8(utf8Path, nullptr);
    if (!output->openFile(log)) {
        delete output;
        return nullptr;
    }
    return output;
}
