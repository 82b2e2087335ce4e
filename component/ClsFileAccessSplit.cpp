// Cutting a file into numbered parts and joining them back.
#include "component/ClsFileAccess.h"

#include "fs/FileDataSource.h"
#include "fs/FileSys.h"
#include "fs/OutputFile.h"

#include <cstdlib>
#include <memory>
#include <new>
#include <string>

namespace {

struct FreeBlock {
    void operator()(char *block) const { free(block); }
};
using CopyBuffer = std::unique_ptr<char, FreeBlock>;

const uint32_t spareBytes = 32;

// The largest of the fixed sizes that can be had; size 0 when none.
CopyBuffer allocateCopyBuffer(uint32_t &size) {
    static const uint32_t sizes[] = {200000, 50000, 20000};
    for (uint32_t candidate : sizes) {
        CopyBuffer block(static_cast<char *>(malloc(candidate + spareBytes)));
        if (block) {
            size = candidate;
            return block;
        }
    }
    size = 0;
    return CopyBuffer();
}

// Prefix and extension as part names use them: trimmed, the extension without
// one leading full stop.
struct PartNames {
    PartNames(const XString &partPrefix, const XString &partExtension) {
        prefix.copyFrom(partPrefix);
        prefix.trim2();
        extension.copyFrom(partExtension);
        if (extension.beginsWithUtf8(".")) {
            XString rest;
            rest.setFromUtf8(extension.getUtf8() + 1);
            extension.copyFrom(rest);
        }
        extension.trim2();
    }

    void partPath(const XString &dir, int64_t number, XString &out) {
        XString name;
        name.copyFrom(prefix);
        name.appendUtf8(std::to_string(number).c_str());
        name.appendUtf8(".");
        name.appendX(extension);
        FileSys::joinDirAndFileName(dir, name, out);
    }

    XString prefix;
    XString extension;
};

// Opened by hand rather than by createFileDataSource because the split needs the
// size first. The path rules pick the ANSI or wide call on POSIX too, so the log
// holds the same contexts in both builds.
std::unique_ptr<FileDataSource> openSource(const XString &path, int64_t &size, LogBase &log) {
    uint32_t reason = 0;
    std::unique_ptr<TarnixHandle> handle(FileSys::openForReadWin32(path, reason, &log));
    if (!handle) return nullptr;
    size = handle->getSize64(&log);
    if (size < 0) return nullptr;
    std::unique_ptr<FileDataSource> source(new (std::nothrow) FileDataSource());
    if (!source) {
        log.logMemoryAllocFailed(1, static_cast<int>(sizeof(FileDataSource)));
        return nullptr;
    }
    XString utf8;
    utf8.copyFrom(path);
    source->takeHandle(handle.release());
    source->setPath(utf8.getUtf8());
    source->setComputeCrc(false);
    return source;
}

// Copies up to partSize bytes into the part; false at the first failed read or write.
bool fillPart(FileDataSource &source, OutputFile &part, char *buffer, uint32_t bufferSize,
              int64_t partSize, int64_t &bytesLeft, LogBase &log) {
    int64_t room = partSize;
    while (room > 0 && bytesLeft > 0) {
        int64_t chunk = bufferSize;
        if (room < chunk) chunk = room;
        if (bytesLeft < chunk) chunk = bytesLeft;
        uint32_t got = 0;
        if (!source.getNextChunkStrict(buffer, static_cast<uint32_t>(chunk), got, &log))
            return false;
        if (part.write(buffer, got, 1, &log) == 0) {
            log.logError("Failed to write output file.");
            return false;
        }
        room -= got;
        bytesLeft -= got;
    }
    return true;
}

} // namespace

bool ClsFileAccess::SplitFile(const XString &fileToSplit, const XString &partPrefix,
                              const XString &partExtension, int partSize,
                              const XString &outputDirPath) {
    Frame frame(*this, "SplitFile", FullFrame);
    PartNames names(partPrefix, partExtension);
    XString text;
    text.copyFrom(fileToSplit);
    log().logData("path", text.getUtf8());
    text.copyFrom(partPrefix);
    log().logData("prefix", text.getUtf8());
    text.copyFrom(partExtension);
    log().logData("extension", text.getUtf8());
    log().logDataLong("partSize", partSize);
    // A part that can hold nothing would never take the source's bytes: the call
    // could not end.
    if (partSize <= 0) {
        log().logError("The part size must be greater than 0.");
        return frame.result(false);
    }

    uint32_t bufferSize = 0;
    CopyBuffer buffer = allocateCopyBuffer(bufferSize);
    if (!buffer) {
        log().logMemoryAllocFailed(1110, 20000);
        return frame.result(false);
    }
    log().logDataLong("bufSize", static_cast<int>(bufferSize));

    int64_t bytesLeft = 0;
    std::unique_ptr<FileDataSource> source = openSource(fileToSplit, bytesLeft, log());
    if (!source) return frame.result(false);
    log().logDataInt64("fileSize", bytesLeft);

    // The first failed read or write ends the split: a failure that persists would
    // otherwise start new parts forever. The parts written so far stay.
    bool success = true;
    for (int64_t number = 1; success && bytesLeft > 0; ++number) {
        XString partPath;
        names.partPath(outputDirPath, number, partPath);
        std::unique_ptr<OutputFile> part(FileSys::createOutputFile(partPath.getUtf8(), &log()));
        if (!part) return frame.result(false);
        log().logData("nextPartPath", partPath.getUtf8());
        success = fillPart(*source, *part, buffer.get(), bufferSize, partSize, bytesLeft, log());
        log().logDataInt64("numBytesWritten", static_cast<int64_t>(part->getBytesWritten()));
    }
    source.reset();
    return frame.result(success);
}

bool ClsFileAccess::ReassembleFile(const XString &partsDirPath, const XString &partPrefix,
                                   const XString &partExtension,
                                   const XString &reassembledFilename) {
    Frame frame(*this, "ReassembleFile", FullFrame);
    PartNames names(partPrefix, partExtension);
    XString outPath;
    outPath.copyFrom(reassembledFilename);
    std::unique_ptr<OutputFile> output(FileSys::createOutputFile(outPath.getUtf8(), &log()));
    if (!output) return frame.result(false);

    bool success = true;
    for (int64_t number = 1; success; ++number) {
        XString partPath;
        names.partPath(partsDirPath, number, partPath);
        // The first missing number is the normal end of the parts.
        std::unique_ptr<FileDataSource> part(
            FileSys::createFileDataSource(partPath.getUtf8(), &log()));
        if (!part) break;
        part->setComputeCrc(false);
        success = part->copyToOutput(*output, &log());
    }
    output.reset();
    return frame.result(success);
}
