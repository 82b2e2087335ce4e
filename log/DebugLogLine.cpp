#include "log/DebugLogLine.h"

#include "core/XString.h"

DebugLogLine::DebugLogLine(XString &path, int depth) : m_file(nullptr), m_indentation(0) {
    if (path.isEmpty()) return;
    // Binary mode: the CR LF is written by the format itself, so the bytes are the
    // same whether or not the C library translates line ends.
    m_file = fopen(path.getAnsi(), "ab");
    if (m_file != nullptr) m_indentation = depth * 4;
}

DebugLogLine::~DebugLogLine() {
    if (m_file != nullptr) fclose(m_file);
}
