#pragma once

class LogEntry2;
class StringBuffer;

// The three forms in which hosts read a log tree. Each appends the entry and,
// for a context, everything below it, depth first in recording order. Every line
// ends in CR LF. Entries that lack their text, tag or child array render as nothing.

// Two spaces of indentation per level; a context closes with "--" and its tag.
void appendLogText(const LogEntry2 &entry, int level, StringBuffer &out);
// Elements named after the tags; texts with markup or line breaks go into CDATA.
void appendLogXml(const LogEntry2 &entry, StringBuffer &out);
// Contexts as blockquotes, texts escaped, one "<br>" per entry.
void appendLogHtml(const LogEntry2 &entry, StringBuffer &out);
