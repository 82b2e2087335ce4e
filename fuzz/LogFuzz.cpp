// Records a random tree of contexts and entries in a Logger and renders it. Tags are
// names, as every caller's are (the renderings write them unescaped). When the texts are
// XML characters the XML rendering must be well-formed with "TarnixLog" as its root;
// with any bytes in texts and values the HTML rendering must carry no markup but its own.
// Input: a mode byte, then operations.

#include "core/StringBuffer.h"
#include "fuzz/FuzzInput.h"
#include "log/Logger.h"

#include <cstring>
#include <expat.h>
#include <string>

using fuzzing::require;

namespace {

enum Mode { XmlCharacters, AnyBytes, AnyTags, ModeCount };

// Controls that XML forbids become markup characters instead, to give the escaping
// something to do; bytes above 0x7F become the characters U+0080 to U+00FF.
std::string xmlCharacters(const std::string &bytes) {
    static const char markup[] = "<>&]]>[<![CDATA[\"'";
    std::string out;
    for (unsigned char b : bytes) {
        if (b >= 0x80) {
            out += static_cast<char>(0xC0 | b >> 6);
            out += static_cast<char>(0x80 | (b & 0x3F));
        } else if (b < 0x20 && b != '\t' && b != '\n' && b != '\r') {
            out += markup[b % (sizeof markup - 1)];
        } else {
            out += static_cast<char>(b);
        }
    }
    // A text may not end a CDATA section it did not open; one that carries a whole
    // section of its own is written as it is.
    for (size_t at = out.find("]]>"); at != std::string::npos; at = out.find("]]>", at))
        out.replace(at, 3, "]] >");
    return out;
}

std::string name(const std::string &bytes) {
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_";
    static const char more[] = "0123456789-.";
    std::string out = "t";
    for (unsigned char b : bytes)
        out += b & 1 ? letters[b % (sizeof letters - 1)] : more[b % (sizeof more - 1)];
    return out;
}

class Builder {
public:
    Builder(fuzzing::FuzzInput &input, Mode mode) : m_input(input), m_mode(mode) {}

    std::string tag() {
        std::string bytes = m_input.text(16);
        return m_mode == AnyTags ? cString(bytes) : name(bytes);
    }

    std::string text() {
        std::string bytes = cString(m_input.text(64));
        if (m_mode != XmlCharacters) return bytes;
        if (m_input.pick(8) == 0) return "a <![CDATA[" + xmlCharacters(bytes) + "]]> b";
        return xmlCharacters(bytes);
    }

    // Raw entries are written as they are, markup and all: in XML they hold plain text.
    std::string raw() {
        std::string bytes = text();
        if (m_mode != XmlCharacters) return bytes;
        std::string out;
        for (char c : bytes)
            if (c != '<' && c != '&' && c != '>') out += c;
        return out;
    }

    void record(Logger &log) {
        while (!m_input.empty()) {
            switch (m_input.pick(8)) {
            case 0:
                log.enterContext(tag().c_str(), true);
                break;
            case 1:
                log.leaveContext();
                break;
            case 2:
                log.logError(text().c_str());
                break;
            case 3:
                log.logInfo(text().c_str());
                break;
            case 4:
                log.logData(tag().c_str(), text().c_str());
                break;
            case 5:
                log.logData(tag().c_str(), nullptr);
                break;
            case 6:
                log.logRaw(raw().c_str());
                break;
            default:
                if (m_input.pick(4) == 0) log.clearLog();
                break;
            }
        }
    }

private:
    static std::string cString(const std::string &bytes) {
        return bytes.substr(0, bytes.find('\0'));
    }

    fuzzing::FuzzInput &m_input;
    Mode m_mode;
};

void XMLCALL onStart(void *userData, const XML_Char *element, const XML_Char **) {
    std::string *root = static_cast<std::string *>(userData);
    if (root->empty()) *root = element;
}

void checkXml(const StringBuffer &xml) {
    XML_Parser parser = XML_ParserCreate("UTF-8");
    require(parser != nullptr, "no XML parser");
    std::string root;
    XML_SetUserData(parser, &root);
    XML_SetStartElementHandler(parser, onStart);
    bool wellFormed = XML_Parse(parser, xml.getString(), xml.getSize(), 1) == XML_STATUS_OK;
    if (!wellFormed) {
        std::fprintf(stderr, "%s at line %lu\n%s\n", XML_ErrorString(XML_GetErrorCode(parser)),
                     static_cast<unsigned long>(XML_GetCurrentLineNumber(parser)), xml.getString());
    }
    XML_ParserFree(parser);
    require(wellFormed, "the XML rendering is not well-formed");
    require(root == "TarnixLog", "the XML root is not TarnixLog");
}

// Every "<", ">" and "&" belongs to the rendering's own tags and escapes.
void checkHtml(const StringBuffer &html) {
    static const char *const own[] = {"<br>", "<blockquote>", "</blockquote>", "&amp;",
                                      "&lt;", "&gt;",         "&quot;"};
    const char *s = html.getString();
    int n = html.getSize();
    int open = 0;
    for (int i = 0; i < n; ++i) {
        if (s[i] == '"') fuzzing::fail("an unescaped quote in the HTML rendering");
        if (s[i] != '<' && s[i] != '&' && s[i] != '>') continue;
        const char *match = nullptr;
        for (const char *piece : own)
            if (std::strncmp(s + i, piece, std::strlen(piece)) == 0) match = piece;
        require(match != nullptr, "unescaped markup in the HTML rendering");
        if (std::strcmp(match, "<blockquote>") == 0) ++open;
        if (std::strcmp(match, "</blockquote>") == 0) --open;
        require(open >= 0, "a blockquote closed before it opened");
        i += static_cast<int>(std::strlen(match)) - 1;
    }
    require(open == 0, "a blockquote left open");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzzing::FuzzInput input(data, size);
    Mode mode = static_cast<Mode>(input.pick(ModeCount));
    Logger log;
    Builder(input, mode).record(log);

    StringBuffer xml, html, text;
    log.getXml(xml);
    log.getHtml(html);
    log.getText(text);
    if (mode == XmlCharacters) checkXml(xml);
    if (mode != AnyTags) checkHtml(html);
    return 0;
}
