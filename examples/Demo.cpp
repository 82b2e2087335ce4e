// A short tour of the component's building blocks on the native build: charset
// names, content encodings, and the log a failed call leaves behind.
#include "charset/CharsetNames.h"
#include "core/StringBuffer.h"
#include "core/XString.h"
#include "encoding/ContentCoding.h"
#include "encoding/ZipCRC.h"
#include "fs/FileSys.h"
#include "fs/TarnixHandle.h"
#include "log/Logger.h"
#include "platform/Win32.h"

#include <cstdio>
#include <cstring>

namespace {

void showCharset(const char *name) {
    int codePage = charsetNameToCodePage(name);
    StringBuffer canonical;
    codePageToCharsetName(codePage, canonical);
    printf("  %-22s -> code page %-5d canonical \"%s\"\n", name, codePage, canonical.getString());
}

void showEncoding(const char *encodingName, const char *text) {
    ContentCoding coding;
    StringBuffer out;
    coding.encodeBytes(encodingName, text, static_cast<uint32_t>(strlen(text)), out);
    printf("  %-12s %s\n", encodingName, out.getString());
}

} // namespace

int main() {
    printf("Charset names, as every charset argument resolves them:\n");
    const char *names[] = {" UTF_8 ",        "Shift_JIS",      "GBK", "latin1", "iso-8859-8 visual",
                           "x-mac-japanese", "no-such-charset"};
    for (const char *name : names)
        showCharset(name);

    const char *text = "Caf\xc3\xa9 & \"bar\" = 100%\r\nFrom here.";
    printf("\nThe text \"%s\" read as encoded text:\n",
           "Caf\xc3\xa9 & \"bar\" = 100%\\r\\nFrom here.");
    const char *encodings[] = {"base64", "hex", "qp", "url", "url_rfc1738", "url_rfc2396"};
    for (const char *encoding : encodings)
        showEncoding(encoding, text);

    ZipCRC crc;
    crc.beginCrc();
    crc.updateCrc(text, static_cast<uint32_t>(strlen(text)));
    printf("\nCRC-32 of the text: %08X\n", ~crc.getCrc());

    printf("\nThe log a failed open leaves, as the last-error text:\n");
    Logger log;
    log.enterContext("OpenForRead", true);
    XString path;
    path.setFromUtf8("no-such-folder/missing.txt");
    uint32_t reason = 0;
    TarnixHandle *handle = FileSys::openForReadWin32(path, reason, &log);
    delete handle;
    log.leaveContext();
    StringBuffer lastError;
    log.getText(lastError);
    printf("%s(open reason %u: 2 means not found)\n", lastError.getString(),
           static_cast<unsigned>(reason));

    printf("\nWhat a failed call records about Windows errors:\n");
    DWORD codes[] = {ERROR_FILE_NOT_FOUND, ERROR_SHARING_VIOLATION, ERROR_DISK_FULL};
    for (DWORD code : codes) {
        StringBuffer message;
        message.appendWindowsError(code);
        printf("  WindowsErrorCode 0x%x: %s\n", static_cast<unsigned>(code), message.getString());
    }
    return 0;
}
