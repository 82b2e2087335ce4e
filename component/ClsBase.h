#pragma once

#include "core/TarnixObject.h"
#include "core/XString.h"
#include "log/Logger.h"

// What both component classes offer beside their own methods. Every operation has
// a default that does nothing and returns false or empty; ClsBase implements them.
class ClsBaseI {
public:
    virtual ~ClsBaseI();
    virtual void onAttach() {}
    virtual bool get_VerboseLogging() { return false; }
    virtual void put_VerboseLogging(bool) {}
    virtual void get_DebugLogFilePath(XString &out) { out.clear(); }
    virtual void put_DebugLogFilePath(const XString &) {}
    virtual void get_LastErrorText(XString &out) { out.clear(); }
    virtual void get_LastErrorXml(XString &out) { out.clear(); }
    virtual void get_LastErrorHtml(XString &out) { out.clear(); }
    virtual bool SaveLastError(const XString &) { return false; }
    // Clears the log, opens methodName's context with the header entries, records
    // message as an error and closes the context.
    virtual void failInContext(const char *, const char *) {}
};

// The common base of the component classes: the log of the last framed call, the
// VerboseLogging flag and the frames every public method runs in.
//
// Convention of the public methods of every component class: names as the type
// library gives them, property accessors as get_Name / put_Name; strings in as
// const XString &, bytes in as const DataBuffer &, a text or byte result as a
// trailing out argument; bool for a success flag or a 0/1 value, int for a count,
// size or code. No method throws; failures are told by the result and the log.
class ClsBase : public ClsBaseI, public TarnixObject {
public:
    ClsBase();
    ~ClsBase() override;
    ClsBase(const ClsBase &) = delete;
    ClsBase &operator=(const ClsBase &) = delete;

    bool get_VerboseLogging() override;
    void put_VerboseLogging(bool verbose) override;
    void get_DebugLogFilePath(XString &out) override;
    // From now on each entry is appended to this file as it is recorded; empty: none.
    void put_DebugLogFilePath(const XString &path) override;
    // The renderings of the last framed call's log, every line ending in CR LF.
    void get_LastErrorText(XString &out) override;
    void get_LastErrorXml(XString &out) override;
    void get_LastErrorHtml(XString &out) override;
    // Writes the XML rendering to the (trimmed) path; false for an empty path.
    bool SaveLastError(const XString &path) override;
    void failInContext(const char *methodName, const char *message) override;

    // The "DllDate" header value, fixed when the module was built: "Dec 6 2026".
    static const char *buildDate();

protected:
    enum FrameKind { FullFrame, ShortFrame };

    // One method call's frame: clears the log and opens the method's context (with
    // the header entries in a full frame); closes the context when it goes.
    class Frame {
    public:
        Frame(ClsBase &owner, const char *methodName, FrameKind kind);
        ~Frame();
        Frame(const Frame &) = delete;
        Frame &operator=(const Frame &) = delete;
        // Records "Success." or "Failed." and passes success through.
        bool result(bool success);

    private:
        Logger &m_log;
    };

    Logger &log() { return m_log; }

private:
    void enterFrame(const char *methodName, FrameKind kind);
    void logHeader();

    Logger m_log;
    bool m_verboseLogging;
};
