// Helpers shared by the FileSys sources.
#pragma once

class WindowsVersion;
class XString;

namespace pathtext {

// out = path with every "/" turned into "\".
void copyNormalized(const XString &path, XString &out);
// The long form of a normalised path; an empty path stays empty.
void longFormUnlessEmpty(const XString &path, XString &out);
// Opening and reading attributes use the ANSI call for a plain path shorter than
// 260 characters that fits the ANSI code page (or on a legacy OS).
bool prefersAnsiCall(XString &normalizedPath, const WindowsVersion &version);
// UTF-16 units in the UTF-8 bytes [begin, end).
int utf16UnitsIn(const char *begin, const char *end);

} // namespace pathtext
