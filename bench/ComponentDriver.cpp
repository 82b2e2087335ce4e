// Runs one component operation per process so that compare_component.sh can time it
// against the command-line tool a user would otherwise reach for.
// Usage: component_driver OPERATION ARGS...
//   copy IN OUT                 ReadEntireFile + WriteEntireFile
//   split FILE DIR PARTSIZE     SplitFile into DIR/part1.dat, part2.dat, ...
//   reassemble DIR OUT          ReassembleFile of DIR/part*.dat
//   base64 IN OUT               ReadBinaryToEncoded "base64", the text written to OUT
//   transcode IN OUT            windows-1252 text read, written as UTF-8 without preamble
//   replace FILE FIND REPL      ReplaceStrings in UTF-8
//   walk DIR                    ClsDirTree walk, "size path" per entry on stdout
// Exit code 0 on success; on failure the call's LastErrorText goes to stderr.
#include "component/ClsDirTree.h"
#include "component/ClsFileAccess.h"
#include "core/DataBuffer.h"
#include "core/XString.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// An argument as the XString a script would pass.
struct Arg : XString {
    explicit Arg(const char *utf8) { setFromUtf8(utf8); }
};

bool reportFailure(ClsBase &object, const char *call) {
    XString text;
    object.get_LastErrorText(text);
    std::fprintf(stderr, "%s failed:\n%s", call, text.getUtf8());
    return false;
}

bool copyFile(char **args) {
    ClsFileAccess fac;
    DataBuffer data;
    if (!fac.ReadEntireFile(Arg(args[0]), data)) return reportFailure(fac, "ReadEntireFile");
    if (!fac.WriteEntireFile(Arg(args[1]), data)) return reportFailure(fac, "WriteEntireFile");
    return true;
}

bool splitFile(char **args) {
    ClsFileAccess fac;
    int partSize = std::atoi(args[2]);
    if (!fac.SplitFile(Arg(args[0]), Arg("part"), Arg("dat"), partSize, Arg(args[1])))
        return reportFailure(fac, "SplitFile");
    return true;
}

bool reassembleFile(char **args) {
    ClsFileAccess fac;
    if (!fac.ReassembleFile(Arg(args[0]), Arg("part"), Arg("dat"), Arg(args[1])))
        return reportFailure(fac, "ReassembleFile");
    return true;
}

// The text is written with stdio, as a script would hand it on without another call.
bool encodeBase64(char **args) {
    ClsFileAccess fac;
    XString text;
    if (!fac.ReadBinaryToEncoded(Arg(args[0]), Arg("base64"), text))
        return reportFailure(fac, "ReadBinaryToEncoded");
    const StringBuffer &utf8 = text.getUtf8Sb();
    std::FILE *out = std::fopen(args[1], "wb");
    if (!out) {
        std::perror(args[1]);
        return false;
    }
    size_t size = static_cast<size_t>(utf8.getSize());
    bool written = std::fwrite(utf8.getString(), 1, size, out) == size;
    return (std::fclose(out) == 0) && written;
}

bool transcodeFile(char **args) {
    ClsFileAccess fac;
    XString text;
    if (!fac.ReadEntireTextFile(Arg(args[0]), Arg("windows-1252"), text))
        return reportFailure(fac, "ReadEntireTextFile");
    if (!fac.WriteEntireTextFile(Arg(args[1]), text, Arg("utf-8"), false))
        return reportFailure(fac, "WriteEntireTextFile");
    return true;
}

bool replaceStrings(char **args) {
    ClsFileAccess fac;
    int count = fac.ReplaceStrings(Arg(args[0]), Arg("utf-8"), Arg(args[1]), Arg(args[2]));
    if (count < 0) return reportFailure(fac, "ReplaceStrings");
    return true;
}

bool walkTree(char **args) {
    ClsDirTree tree;
    tree.put_BaseDir(Arg(args[0]));
    tree.put_Recurse(true);
    if (!tree.BeginIterate())
        return tree.get_DoneIterating() || reportFailure(tree, "BeginIterate");
    XString path;
    do {
        tree.get_FullPath(path);
        std::printf("%d %s\n", tree.get_FileSize32(), path.getUtf8());
    } while (tree.AdvancePosition());
    return std::fflush(stdout) == 0;
}

struct Operation {
    const char *name;
    int argCount;
    bool (*run)(char **args);
};

const Operation kOperations[] = {
    {"copy", 2, copyFile},       {"split", 3, splitFile},         {"reassemble", 2, reassembleFile},
    {"base64", 2, encodeBase64}, {"transcode", 2, transcodeFile}, {"replace", 3, replaceStrings},
    {"walk", 1, walkTree},
};

} // namespace

int main(int argc, char **argv) {
    for (const Operation &op : kOperations) {
        if (argc == op.argCount + 2 && std::strcmp(argv[1], op.name) == 0)
            return op.run(argv + 2) ? 0 : 1;
    }
    std::fprintf(stderr, "usage: component_driver copy|split|reassemble|base64|transcode|"
                         "replace|walk ARGS... (see the source)\n");
    return 2;
}
