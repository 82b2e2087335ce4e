#include "component/ClsBase.h"

#include "core/StringBuffer.h"
#include "fs/FileSys.h"

#include <cstdio>

namespace {

// __DATE__ is "Mmm dd yyyy" with a blank in place of a leading zero; the header
// entry wants single blanks: "Dec 6 2026".
struct BuildDate {
    char text[12];
    BuildDate() {
        const char *date = __DATE__;
        int n = 0;
        for (int i = 0; date[i] != 0 && n < 11; ++i) {
            if (date[i] == ' ' && n > 0 && text[n - 1] == ' ') continue;
            text[n++] = date[i];
        }
        text[n] = 0;
    }
};

const BuildDate buildDateText;

bool isLittleEndian() {
    const uint16_t probe = 1;
    return *reinterpret_cast<const unsigned char *>(&probe) == 1;
}

// The "Username" value: the computer name, a colon and the user name. Neither changes
// while the process runs, and asking the system for both in every framed call cost
// more than many a method's own work: a directory walk asked twice per entry.
struct UserNameText {
    char text[600];

    UserNameText() {
        StringBuffer computer;
        FileSys::getComputerName(computer);
        StringBuffer user;
        FileSys::getUserName(user);
        if (computer.getSize() > 0) computer.appendChar(':');
        computer.appendSb(user);
        snprintf(text, sizeof text, "%s", computer.getString());
    }
};

// Built by the first frame; later frames, in any thread, read it.
const char *userNameText() {
    static const UserNameText names;
    return names.text;
}

void storeNormalized(StringBuffer &rendering, XString &out) {
    rendering.toCRLF();
    out.takeUtf8Sb(rendering);
}

} // namespace

ClsBaseI::~ClsBaseI() {}

ClsBase::ClsBase() : m_verboseLogging(false) {}

ClsBase::~ClsBase() {}

const char *ClsBase::buildDate() {
    return buildDateText.text;
}

bool ClsBase::get_VerboseLogging() {
    return m_verboseLogging;
}

void ClsBase::put_VerboseLogging(bool verbose) {
    m_verboseLogging = verbose;
}

void ClsBase::get_DebugLogFilePath(XString &out) {
    m_log.getDebugLogFilePath(out);
}

void ClsBase::put_DebugLogFilePath(const XString &path) {
    m_log.setDebugLogFilePath(path);
}

void ClsBase::get_LastErrorText(XString &out) {
    StringBuffer rendering;
    m_log.getText(rendering);
    storeNormalized(rendering, out);
}

void ClsBase::get_LastErrorXml(XString &out) {
    StringBuffer rendering;
    m_log.getXml(rendering);
    storeNormalized(rendering, out);
}

void ClsBase::get_LastErrorHtml(XString &out) {
    StringBuffer rendering;
    m_log.getHtml(rendering);
    storeNormalized(rendering, out);
}

bool ClsBase::SaveLastError(const XString &path) {
    XString copy;
    copy.copyFrom(path);
    StringBuffer trimmed(copy.getUtf8());
    trimmed.trim2();
    if (trimmed.getSize() == 0) return false;
    return m_log.saveXml(true, trimmed.getString());
}

void ClsBase::failInContext(const char *methodName, const char *message) {
    Frame frame(*this, methodName, FullFrame);
    m_log.logError(message);
}

void ClsBase::enterFrame(const char *methodName, FrameKind kind) {
    m_log.clearLog();
    m_log.enterContext(methodName, true);
    if (kind == FullFrame) logHeader();
}

void ClsBase::logHeader() {
    m_log.logData("DllDate", buildDate());

    m_log.logData("Username", userNameText());

    m_log.logData("Architecture",
                  isLittleEndian() ? "Little Endian; 32-bit" : "Big Endian; 32-bit");
    m_log.logData("Language", "ActiveX");
    m_log.logDataLong("VerboseLogging", m_verboseLogging ? 1 : 0);
}

ClsBase::Frame::Frame(ClsBase &owner, const char *methodName, FrameKind kind) : m_log(owner.m_log) {
    owner.enterFrame(methodName, kind);
}

ClsBase::Frame::~Frame() {
    m_log.leaveContext();
}

bool ClsBase::Frame::result(bool success) {
    if (success)
        m_log.logInfo("Success.");
    else
        m_log.logError("Failed.");
    return success;
}
