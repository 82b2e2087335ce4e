// The component as a script uses it, from a native program: text in several
// charsets, an encoded read, a directory walk, split and reassemble, and the log
// a failed call leaves behind. Works in a fresh directory below the current one.
#include "component/ClsDirTree.h"
#include "component/ClsFileAccess.h"
#include "core/DataBuffer.h"
#include "core/XString.h"

#include <cstdio>
#include <cstring>

namespace {

// A UTF-8 literal or a path below a directory, where the classes take an XString.
class Text {
public:
    explicit Text(const char *utf8) { m_text.setFromUtf8(utf8); }
    Text(const XString &dir, const char *name) {
        m_text.copyFrom(dir);
        m_text.appendUtf8("\\");
        m_text.appendUtf8(name);
    }
    operator const XString &() const { return m_text; }

private:
    XString m_text;
};

void showTextRoundTrip(ClsFileAccess &fac, const XString &dir) {
    printf("Text written in one charset and read back in another:\n");
    struct {
        const char *text, *written, *read;
        bool preamble;
    } rounds[] = {
        {"Καλημέρα κόσμε", "iso-8859-7", "windows-1253", false},
        {"Καλημέρα κόσμε", "iso-8859-7", "windows-1252", false},
        {"café, naïve, 20 €", "utf-16", "utf-16", true},
        {"日本語のテキスト", "shift_jis", "sjis", false},
        {"日本語のテキスト", "utf-8", "utf-8", true},
    };
    Text path(dir, "greeting.txt");
    for (const auto &round : rounds) {
        bool written =
            fac.WriteEntireTextFile(path, Text(round.text), Text(round.written), round.preamble);
        XString back;
        fac.ReadEntireTextFile(path, Text(round.read), back);
        printf("  %-10s %s %3d bytes, read as %-12s %s\n", round.written,
               written ? "wrote" : "failed", fac.FileSize(path), round.read, back.getUtf8());
    }
    XString hex;
    fac.ReadBinaryToEncoded(path, Text("hex"), hex);
    printf("  the last file as hex: %s\n\n", hex.getUtf8());
}

void showWalk(ClsFileAccess &fac, const XString &dir) {
    const char *files[] = {"tree\\a.txt", "tree\\sub\\b.txt", "tree\\sub\\deeper\\c.txt",
                           "tree\\z.txt"};
    for (const char *name : files) {
        Text path(dir, name);
        fac.DirEnsureExists(path);
        DataBuffer bytes;
        bytes.append(name, static_cast<uint32_t>(strlen(name)));
        fac.WriteEntireFile(path, bytes);
    }
    printf("A breadth-first walk of tree\\:\n");
    ClsDirTree walk;
    walk.put_BaseDir(Text(dir, "tree"));
    walk.put_Recurse(true);
    for (bool more = walk.BeginIterate(); more; more = walk.AdvancePosition()) {
        XString relative;
        walk.get_RelativePath(relative);
        if (walk.get_IsDirectory())
            printf("  %-24s directory\n", relative.getUtf8());
        else
            printf("  %-24s %d bytes\n", relative.getUtf8(), walk.get_FileSize32());
    }
    printf("\n");
}

void showSplit(ClsFileAccess &fac, const XString &dir) {
    DataBuffer original;
    for (int i = 0; i < 2500; ++i)
        original.appendByte(static_cast<unsigned char>(i * 7));
    Text whole(dir, "data.bin");
    fac.WriteEntireFile(whole, original);
    bool split = fac.SplitFile(whole, Text("part"), Text("chunk"), 1000, dir);
    printf("2500 bytes split into 1000-byte parts: %s; part3.chunk holds %d bytes\n",
           split ? "done" : "failed", fac.FileSize(Text(dir, "part3.chunk")));
    Text joined(dir, "joined.bin");
    fac.ReassembleFile(dir, Text("part"), Text("chunk"), joined);
    DataBuffer back;
    fac.ReadEntireFile(joined, back);
    bool same = back.getSize() == original.getSize() &&
                memcmp(back.getData(), original.getData(), original.getSize()) == 0;
    printf("Reassembled: %u bytes, %s the original\n\n", back.getSize(),
           same ? "identical to" : "different from");
}

} // namespace

int main() {
    ClsFileAccess fac;
    XString here, dir;
    fac.get_CurrentDir(here);
    fac.GetTempFilename(here, Text("tx_demo"), dir);
    if (dir.isEmpty() || !fac.DirCreate(dir)) {
        XString log;
        fac.get_LastErrorText(log);
        printf("Cannot make a work directory here:\n%s", log.getUtf8());
        return 1;
    }

    showTextRoundTrip(fac, dir);
    showWalk(fac, dir);
    showSplit(fac, dir);

    printf("A call that fails returns a plain result, and its log says why:\n");
    bool opened = fac.OpenForRead(Text(dir, "no-such-file.txt"));
    XString log;
    fac.get_LastErrorText(log);
    printf("OpenForRead returned %s, FileOpenError %d\n%s", opened ? "true" : "false",
           fac.get_FileOpenError(), log.getUtf8());

    fac.TreeDelete(dir);
    fac.DirDelete(dir);
    return 0;
}
