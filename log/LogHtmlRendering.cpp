#include "core/StringBuffer.h"
#include "log/LogEntry2.h"
#include "log/LogRendering.h"

namespace {

void appendEscapedLine(const StringBuffer &text, StringBuffer &out) {
    StringBuffer escaped;
    if (escaped.appendSb(text) && escaped.encodeXmlSpecial()) {
        out.appendSb(escaped);
    }
    out.append("<br>\r\n");
}

} // namespace

void appendLogHtml(const LogEntry2 &entry, StringBuffer &out) {
    const StringBuffer *tag = entry.getTag();
    const StringBuffer *text = entry.getText();
    switch (entry.getEntryType()) {
    case LogEntry2::typeError:
    case LogEntry2::typeInfo:
    case LogEntry2::typeRaw:
        if (text != nullptr) appendEscapedLine(*text, out);
        return;
    case LogEntry2::typeTagged:
        if (tag == nullptr || text == nullptr) return;
        out.appendSb(*tag);
        out.append(": ");
        appendEscapedLine(*text, out);
        return;
    case LogEntry2::typeContext:
        if (tag == nullptr || !entry.hasChildArray()) return;
        out.appendSb(*tag);
        out.append(":<blockquote>\r\n");
        for (int i = 0; i < entry.numChildren(); ++i) {
            const LogEntry2 *child = entry.childAt(i);
            if (child != nullptr) appendLogHtml(*child, out);
        }
        out.append("</blockquote>\r\n");
        return;
    default:
        return;
    }
}
