#pragma once

#include <cstdio>

class XString;

// One line of the debug log file: the file is opened for appending when the line is
// made and closed when it goes, so the file may be read, moved or deleted between
// entries. Lines end in CR LF on every platform.
class DebugLogLine {
public:
    // Opens nothing when the path is empty or the file cannot be opened.
    DebugLogLine(XString &path, int depth);
    ~DebugLogLine();
    DebugLogLine(const DebugLogLine &) = delete;
    DebugLogLine &operator=(const DebugLogLine &) = delete;

    // Null when there is nowhere to write.
    FILE *stream() const { return m_file; }
    // Four spaces per level, as a field width: "%*s" with "" writes them. A number,
    // not a text, so that a log without a debug file allocates nothing per entry.
    int indentation() const { return m_indentation; }

private:
    FILE *m_file;
    int m_indentation;
};
