#include "core/StringBuffer.h"
#include "log/LogEntry2.h"
#include "log/LogRendering.h"

namespace {

const char lineEnd[] = "\r\n";

void appendIndented(int level, StringBuffer &out) {
    out.appendCharN(' ', level * 2);
}

} // namespace

void appendLogText(const LogEntry2 &entry, int level, StringBuffer &out) {
    const StringBuffer *tag = entry.getTag();
    const StringBuffer *text = entry.getText();
    switch (entry.getEntryType()) {
    case LogEntry2::typeError:
    case LogEntry2::typeInfo:
    case LogEntry2::typeRaw:
        if (text == nullptr) return;
        appendIndented(level, out);
        out.appendSb(*text);
        out.append(lineEnd);
        return;
    case LogEntry2::typeTagged:
        if (tag == nullptr || text == nullptr) return;
        appendIndented(level, out);
        out.appendSb(*tag);
        out.append(": ");
        out.appendSb(*text);
        out.append(lineEnd);
        return;
    case LogEntry2::typeContext:
        if (tag == nullptr || !entry.hasChildArray()) return;
        appendIndented(level, out);
        out.appendSb(*tag);
        out.append(":\r\n");
        for (int i = 0; i < entry.numChildren(); ++i) {
            const LogEntry2 *child = entry.childAt(i);
            if (child != nullptr) appendLogText(*child, level + 1, out);
        }
        appendIndented(level, out);
        out.append("--");
        out.appendSb(*tag);
        out.append(lineEnd);
        return;
    default:
        return;
    }
}
