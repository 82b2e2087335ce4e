// Whole files as bytes, as text in a charset and as encoded text; replacement of a
// string inside a file.
#include "component/ClsFileAccess.h"

#include "charset/EncodingConvert.h"
#include "charset/TxCharset.h"
#include "core/StringBuffer.h"
#include "fs/FileSys.h"

#include <cstring>

namespace {

const int utf8CodePage = 65001;

// The unit size of the charsets whose text holds zero bytes: 2 for UTF-16, 4 for
// UTF-32, else 0.
uint32_t zeroUnitSize(int codePage) {
    if (codePage == 1200 || codePage == 1201) return 2;
    if (codePage == 65005 || codePage == 65006 || codePage == 12000 || codePage == 12001) return 4;
    return 0;
}

// The bytes before the first unit that is all zero bytes.
uint32_t lengthToZeroUnit(const unsigned char *bytes, uint32_t n, uint32_t unit) {
    uint32_t whole = n - n % unit;
    for (uint32_t i = 0; i < whole; i += unit) {
        bool zero = true;
        for (uint32_t k = 0; k < unit && zero; ++k)
            zero = bytes[i + k] == 0;
        if (zero) return i;
    }
    return whole;
}

// A charset name that the lookup does not know: said once in the log, so that a
// typing error does not pass as an empty or unconverted text.
bool selectCharset(const char *name, _txCharset &charset, LogBase &log) {
    if (charset.setByName(name)) return true;
    log.logError("Unknown charset.");
    log.logData("charset", name);
    return false;
}

// The UTF-8 text, after its byte order mark when one is asked for, as the whole file.
bool writeUtf8Text(const XString &path, const StringBuffer &utf8, bool includePreamble,
                   LogBase &log) {
    static const unsigned char bom[3] = {0xEF, 0xBB, 0xBF};
    uint32_t size = static_cast<uint32_t>(utf8.getSize());
    if (!includePreamble) {
        log.logDataLong("numOutputBytes", static_cast<int>(size));
        return FileSys::writeEntireFile(path, utf8.getString(), size, &log);
    }
    DataBuffer bytes;
    if (bytes.ensureCapacity(size + sizeof bom) && bytes.append(bom, sizeof bom))
        bytes.append(utf8.getString(), size);
    log.logDataLong("numOutputBytes", static_cast<int>(bytes.getSize()));
    return FileSys::writeEntireFile(path, bytes, &log);
}

} // namespace

bool ClsFileAccess::ReadEntireFile(const XString &filename, DataBuffer &out) {
    Frame frame(*this, "ReadEntireFile", FullFrame);
    XString path;
    path.copyFrom(filename);
    return out.loadFile(path.getUtf8(), &log());
}

bool ClsFileAccess::WriteEntireFile(const XString &filename, const DataBuffer &fileData) {
    Frame frame(*this, "WriteEntireFile", FullFrame);
    return FileSys::writeEntireFile(filename, fileData, &log());
}

bool ClsFileAccess::ReadEntireTextFile(const XString &filename, const XString &charset,
                                       XString &out) {
    out.clear();
    Frame frame(*this, "ReadEntireTextFile", FullFrame);
    XString path;
    path.copyFrom(filename);
    DataBuffer bytes;
    if (!bytes.loadFile(path.getUtf8(), &log())) return false;
    static const unsigned char zeros[2] = {0, 0};
    if (!bytes.append(zeros, sizeof zeros)) {
        log().logMemoryAllocFailed(1090, static_cast<int>(bytes.getSize()));
        return false;
    }

    XString name;
    name.copyFrom(charset);
    StringBuffer trimmed(name.getUtf8());
    trimmed.trim2();
    const char *text = reinterpret_cast<const char *>(bytes.getData());
    // The appended zeros end the search: the text is what comes before the first zero.
    uint32_t length =
        static_cast<uint32_t>(static_cast<const char *>(memchr(text, 0, bytes.getSize())) - text);
    if (trimmed.getSize() == 0 || trimmed.equalsIgnoreCase("utf-8") ||
        trimmed.equalsIgnoreCase("ansi")) {
        out.appendInCharsetN(text, length, trimmed.getString());
        return true;
    }
    _txCharset selected;
    if (!selectCharset(trimmed.getString(), selected, log())) return true;
    uint32_t unit = zeroUnitSize(selected.getCodePage());
    if (unit == 0) {
        out.appendInCharsetN(text, length, trimmed.getString());
        return true;
    }
    // UTF-16 and UTF-32 text is full of zero bytes: it ends at its first zero unit.
    uint32_t n = lengthToZeroUnit(bytes.getData(), bytes.getSize() - sizeof zeros, unit);
    DataBuffer utf8;
    EncodingConvert converter;
    LogNull quiet;
    converter.convert(selected.getCodePage(), utf8CodePage, bytes.getData(), n, utf8, quiet);
    out.appendUtf8N(reinterpret_cast<const char *>(utf8.getData()),
                    static_cast<int>(utf8.getSize()));
    return true;
}

bool ClsFileAccess::WriteEntireTextFile(const XString &filename, const XString &fileData,
                                        const XString &charset, bool includePreamble) {
    Frame frame(*this, "WriteEntireTextFile", FullFrame);
    XString path;
    path.copyFrom(filename);
    XString name;
    name.copyFrom(charset);
    log().logData("filename", path.getUtf8());
    log().logData("charset", name.getUtf8());
    log().logDataLong("includePreamble", includePreamble ? 1 : 0);

    _txCharset selected;
    selectCharset(name.getUtf8(), selected, log());
    // UTF-8 into UTF-8 is a copy: the text's own UTF-8 form is written as it stands.
    const StringBuffer *utf8 = fileData.utf8ForConversion();
    if (utf8 != nullptr && selected.getCodePage() == utf8CodePage) {
        return writeUtf8Text(path, *utf8, includePreamble, log());
    }
    XString text;
    text.copyFrom(fileData);
    DataBuffer bytes;
    if (includePreamble)
        text.getConvertedWithBom(selected, bytes);
    else
        text.getConverted(selected, bytes);
    log().logDataLong("numOutputBytes", static_cast<int>(bytes.getSize()));
    return FileSys::writeEntireFile(path, bytes, &log());
}

bool ClsFileAccess::ReadBinaryToEncoded(const XString &filename, const XString &encoding,
                                        XString &out) {
    out.clear();
    Frame frame(*this, "ReadBinaryToEncoded", FullFrame);
    XString path;
    path.copyFrom(filename);
    DataBuffer bytes;
    bool loaded = bytes.loadFile(path.getUtf8(), &log());
    if (loaded) {
        log().logDataLong("fileSize", static_cast<int>(bytes.getSize()));
        XString name;
        name.copyFrom(encoding);
        StringBuffer encoded;
        bytes.encodeAs(name.getUtf8(), encoded);
        out.takeUtf8Sb(encoded);
    }
    return frame.result(loaded);
}

int ClsFileAccess::ReplaceStrings(const XString &path, const XString &charset,
                                  const XString &existingString, const XString &replacementString) {
    Frame frame(*this, "ReplaceStrings", ShortFrame);
    bool ok = true;
    int count = -1;
    XString name;
    name.copyFrom(charset);
    _txCharset selected;
    selected.setByName(name.getUtf8());

    XString find;
    find.copyFrom(existingString);
    DataBuffer findBytes;
    if (!find.getConverted(selected, findBytes)) {
        log().logError("Unable to get str1 in specified charset.");
        ok = false;
    } else if (findBytes.getSize() == 0) {
        log().logError("str1 is empty.");
        ok = false;
    }
    XString replacement;
    replacement.copyFrom(replacementString);
    DataBuffer replacementBytes;
    if (!replacement.getConverted(selected, replacementBytes)) {
        log().logError("Unable to get str2 in specified charset.");
        ok = false;
    }

    if (ok) {
        XString filePath;
        filePath.copyFrom(path);
        DataBuffer content;
        ok = content.loadFile(filePath.getUtf8(), &log());
        if (ok) {
            count = content.replaceAllOccurrences(findBytes.getData(), findBytes.getSize(),
                                                  replacementBytes.getData(),
                                                  replacementBytes.getSize());
            // An unchanged file keeps its bytes and its modification time.
            if (count > 0) ok = FileSys::writeEntireFile(filePath, content, &log());
        }
    }
    log().logDataLong("n", count);
    frame.result(ok);
    return ok ? count : -1;
}
