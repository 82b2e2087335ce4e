#include "core/StringBuffer.h"
#include "log/LogEntry2.h"
#include "log/LogRendering.h"

#include <cstring>

namespace {

const char lineEnd[] = "\r\n";

bool needsCdata(const StringBuffer &text) {
    // A text that already carries its own CDATA section is left alone rather than
    // nested, which XML does not allow.
    if (text.contains("<![CDATA[") && text.contains("]]>")) return false;
    return strpbrk(text.getString(), "\n\t&><") != nullptr;
}

void appendXmlText(const StringBuffer &text, StringBuffer &out) {
    if (!needsCdata(text)) {
        out.appendSb(text);
        return;
    }
    out.append("<![CDATA[");
    out.appendSb(text);
    out.append("]]>");
}

void appendElement(const char *name, const StringBuffer &text, StringBuffer &out) {
    out.appendChar('<');
    out.append(name);
    out.appendChar('>');
    appendXmlText(text, out);
    out.append("</");
    out.append(name);
    out.append(">\r\n");
}

} // namespace

void appendLogXml(const LogEntry2 &entry, StringBuffer &out) {
    const StringBuffer *tag = entry.getTag();
    const StringBuffer *text = entry.getText();
    switch (entry.getEntryType()) {
    case LogEntry2::typeError:
        if (text != nullptr) appendElement("error", *text, out);
        return;
    case LogEntry2::typeInfo:
        if (text != nullptr) appendElement("info", *text, out);
        return;
    case LogEntry2::typeRaw:
        if (text == nullptr) return;
        out.appendSb(*text);
        out.append(lineEnd);
        return;
    case LogEntry2::typeTagged:
        if (tag != nullptr && text != nullptr) appendElement(tag->getString(), *text, out);
        return;
    case LogEntry2::typeContext:
        if (tag == nullptr || !entry.hasChildArray()) return;
        out.appendChar('<');
        out.appendSb(*tag);
        out.append(">\r\n");
        for (int i = 0; i < entry.numChildren(); ++i) {
            const LogEntry2 *child = entry.childAt(i);
            if (child != nullptr) appendLogXml(*child, out);
        }
        out.append("</");
        out.appendSb(*tag);
        out.append(">\r\n");
        return;
    default:
        return;
    }
}
