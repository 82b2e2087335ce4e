// Both classes driven from JScript as a script author would. Argument: an empty
// scratch folder. Stops with exit code 1 at the first failed check.
var fa = new ActiveXObject("Tarnix.FileAccess");
var dt = new ActiveXObject("Tarnix.DirTree");
var dir = WScript.Arguments(0), f = dir + "\\f.bin", g = dir + "\\g.bin", checks = 0;

function fail(what, got, want) {
    WScript.Echo("FAILED " + what + ": got [" + got + "], expected [" + want + "]");
    WScript.Echo(fa.LastErrorText + dt.LastErrorText);
    WScript.Quit(1);
}
function check(what, got, want) {
    checks++;
    if (String(got) !== String(want)) fail(what, got, want);
}
function has(what, text, part) {
    checks++;
    if (String(text).indexOf(part) < 0) fail(what, text, "... " + part + " ...");
}
// JScript cannot look into a byte array; the component shows its bytes instead.
function hx(path) { return fa.ReadBinaryToEncoded(path, "hex"); }
function bytesHex(bytes) { fa.WriteEntireFile(g, bytes); return hx(g); }
function each(rows, fn) { for (var i = 0; i < rows.length; i++) fn.apply(null, rows[i]); }

WScript.Echo("text in charsets");
// Charset, text, its bytes in the charset, the preamble.
each([["UTF-8", "Gr\u00fc\u00dfe \u20ac", "4772C3BCC39F6520E282AC", "EFBBBF"],
      ["latin1", "Gr\u00fc\u00dfe", "4772FCDF65", ""],
      ["x-ansi", "\u20ac5", "8035", ""],
      ["iso-8859-2", "\u0141\u00f3d\u017a", "A3F364BC", ""],
      ["sjis", "\u65e5\u672c", "93FA967B", ""],
      ["gb2312", "\u4e2d\u6587", "D6D0CEC4", ""],
      ["big5", "\u4e2d\u6587", "A4A4A4E5", ""],
      ["euc-jp", "\u65e5\u672c", "C6FCCBDC", ""],
      ["iso-2022-jp", "\u65e5", "1B2442467C1B2842", ""],
      ["ibm437", "\u00e9\u2591", "82B0", ""],
      ["utf-16", "A\u20ac", "4100AC20", "FFFE"],
      ["utf-32", "A", "41000000", ""]],
     function (cs, text, bytes, bom) {
    check(cs + " with preamble", fa.WriteEntireTextFile(f, text, cs, 1) + hx(f), "1" + bom + bytes);
    check(cs + " read back", fa.ReadEntireTextFile(f, cs), text);
    check(cs + " write bare", fa.WriteEntireTextFile(f, text, cs, 0) + hx(f), "1" + bytes);
    check(cs + " append", fa.OpenForWrite(f) + fa.AppendText(text, cs), 2);
    fa.FileClose();
    check(cs + " appended bytes", hx(f), bytes);
});
fa.WriteEntireTextFile(g, "ab\u00e9", "ansi", 0);
fa.OpenForWrite(f); fa.AppendAnsi("ab\u00e9"); fa.FileClose();
check("AppendAnsi writes the ANSI code page", hx(f), hx(g));

WScript.Echo("byte arrays");
// Embedded zeros pass in both directions.
check("a zero in text", fa.WriteEntireTextFile(f, "\u0000\u00ff\n\r", "iso-8859-1", 0) + hx(f), "100FF0A0D");
var bytes = fa.ReadEntireFile(f);
check("ReadEntireFile", bytesHex(bytes), "00FF0A0D");
// Automation values as bytes: a string as UTF-16, a number as 4 bytes, true as FF.
each([["AB", "41004200"], [0x41424344, "44434241"], [true, "FF"], ["", ""]], function (value, want) {
    check("WriteEntireFile of " + value, bytesHex(value), want);
});
check("OpenForRead", fa.OpenForRead(f) + " " + fa.FileOpenError + " " + fa.FileOpenErrorMsg, "1 0 Success.");
each([[2, "00FF", 0], [2, "0A0D", 0], [5, "", 1]], function (n, want, eof) {
    check("FileRead " + n, bytesHex(fa.FileRead(n)) + fa.EndOfFile, want + eof);
});
check("FileSeek", fa.FileSeek(3, 0) + bytesHex(fa.FileRead(9)), "10D");
var none = fa.FileRead(0);
has("FileRead 0 log", fa.LastErrorText, "Requested number of bytes is zero");
check("FileRead 0", bytesHex(none), "");
fa.FileClose();
check("FileOpen new", fa.FileOpen(g, 0x40000000, 0, 2, 0x80), 1);  // GENERIC_WRITE, CREATE_ALWAYS
check("FileWrite", fa.AppendUnicodeBOM() + fa.FileWrite(bytes) + fa.AppendUtf8BOM(), 3);
check("FileSeek relative", fa.FileSeek(0, 0) + fa.FileSeek(1, 1) + fa.FileWrite("Z"), 3);
fa.FileClose();
check("written through the open file", hx(g), "FF5A00FF0A0DEFBBBF");
check("OpenForAppend", fa.OpenForAppend(g) + fa.AppendText("\u00e9", "utf-8"), 2);
fa.FileClose();
check("appended", hx(g), "FF5A00FF0A0DEFBBBFC3A9");
check("OpenForReadWrite", fa.OpenForReadWrite(g) + fa.FileWrite(1), 2);
fa.FileClose();
check("overwritten", hx(g).substr(0, 10), "010000000A");
check("OpenForWrite", fa.OpenForWrite(g), 1);
fa.FileClose();
check("OpenForWrite truncates", fa.FileSize(g), 0);
// GENERIC_READ does not fit a long as it stands.
check("FileOpen missing", fa.FileOpen(dir + "\\none", 0x80000000 | 0, 1, 3, 0), 0);
check("FileOpenError", fa.FileOpenError + " " + fa.FileOpenErrorMsg, "2 File not found.");
check("FileWrite after a failed open", fa.AppendUtf8BOM(), 0);
has("not open", fa.LastErrorText, "File not open");

WScript.Echo("encoded reads");
fa.WriteEntireTextFile(f, "From a.b\r\n\u00e9 ~", "utf-8", 0);
each([["BASE64", "RnJvbSBhLmINCsOpIH4="], ["hexidecimal", "46726F6D20612E620D0AC3A9207E"],
      ["qp", "=46rom a.b\r\n=C3=A9 ~"], ["url_rfc3986", "From%20a.b%0D%0A%C3%A9%20~"],
      ["url_rfc2396", "From%20a.b%0D%0A%C3%A9%20~"], ["ansi", "From a.b\r\n\u00e9 ~"], ["b64", ""]],
     function (name, want) {
    check("ReadBinaryToEncoded " + name, fa.ReadBinaryToEncoded(f, name), want);
});
check("ReadBinaryToEncoded missing", fa.ReadBinaryToEncoded(dir + "\\none", "hex"), "");
has("ReadBinaryToEncoded missing log", fa.LastErrorText, "Failed.");

WScript.Echo("files and directories");
var sub = dir + "\\sub";
check("DirAutoCreate", "" + fa.DirAutoCreate(sub + "\\a\\b") + fa.DirCreate(sub + "\\c") + fa.DirCreate(sub + "\\c"), "110");
check("DirEnsureExists", "" + fa.DirEnsureExists(sub + "/d/e/file.txt") + fa.FileExists(sub + "\\d\\e"), "11");
check("FileCopy", "" + fa.FileCopy(f, sub + "\\a\\x", 0) + fa.FileCopy(f, sub + "\\a\\x", 5), "10");
has("FileCopy log", fa.LastErrorText, "ToFile: " + sub + "\\a\\x");
check("FileRename onto a file", fa.FileRename(f, sub + "\\a\\x"), 0);
check("FileRename", "" + fa.FileRename(sub + "\\a\\x", sub + "\\a\\b\\y") + fa.FileSize(sub + "\\a\\b\\y"), "114");
check("FileSize of a missing file", fa.FileSize(sub + "\\a\\x"), 0);
check("FileDelete", "" + fa.FileDelete(sub + "\\a\\b\\y") + fa.FileExists(sub + "\\a\\b\\y"), "10");
check("DirDelete", "" + fa.DirDelete(sub + "\\a") + fa.DirDelete(sub + "\\c") + fa.FileExists(sub + "\\c"), "010");
check("TreeDelete", "" + fa.TreeDelete(sub) + fa.FileExists(sub) + fa.FileExists(sub + "\\a"), "110");
check("TreeDelete wildcards", fa.TreeDelete(sub + "\\*"), 1);
has("TreeDelete wildcards log", fa.LastErrorText, "Cannot use wildcards when deleting a directory tree.");
var temp = fa.GetTempFilename(dir + "/", "t.dat");
check("GetTempFilename", /^.*\\t_[A-Z0-9]{4}\.dat$/.test(temp) && temp.indexOf(dir) === 0, true);
check("GetTempFilename name not taken", fa.FileExists(temp), 0);
var home = fa.CurrentDir;
check("SetCurrentDir", fa.SetCurrentDir(sub) + fa.CurrentDir.slice(-4), "1\\sub");
check("relative", fa.WriteEntireTextFile("r.txt", "r", "utf-8", 0) + fa.FileExists(sub + "\\r.txt"), 2);
check("SetCurrentDir missing", fa.SetCurrentDir(dir + "\\none") + fa.CurrentDir.slice(-4), "0\\sub");
fa.SetCurrentDir(home);

WScript.Echo("split, reassemble, replace");
var big = "";
for (var i = 0; i < 1000; i++) big += String.fromCharCode(0x20 + i % 90);
fa.WriteEntireTextFile(f, big, "utf-8", 0);
each([[1000, 1], [999, 2], [300, 4], [1, 1000]], function (size, parts) {
    fa.TreeDelete(sub);
    check("SplitFile " + size, fa.SplitFile(f, " p ", "bin", size, sub + "\\"), 1);
    check("last part of " + size, "" + fa.FileExists(sub + "\\p" + parts + ".bin") + fa.FileExists(sub + "\\p" + (parts + 1) + ".bin"), "10");
    check("ReassembleFile " + size, fa.ReassembleFile(sub, "p", ".bin", g) + fa.ReadEntireTextFile(g, ""), 1 + big);
});
fa.FileDelete(sub + "\\p3.bin");
check("a gap ends the join", "" + fa.ReassembleFile(sub, "p", ".bin", g) + fa.FileSize(g), "12");
each([["\u00e4\u00e4\u00e4\u00e4", "\u00e4\u00e4", "\u00e4", 2, "\u00e4\u00e4"], ["abc", "b", "", 1, "ac"],
      ["abc", "x", "y", 0, "abc"], ["abc", "", "y", -1, "abc"]], function (text, from, to, n, after) {
    fa.WriteEntireTextFile(f, text, "utf-16", 1);
    check("ReplaceStrings " + from, fa.ReplaceStrings(f, "utf-16", from, to), n);
    check("after ReplaceStrings " + from, fa.ReadEntireTextFile(f, "utf-16"), after);
});
fa.ReplaceStrings(f, "utf-16", "", "y");
has("ReplaceStrings empty", fa.LastErrorText, "str1 is empty.");

WScript.Echo("last error, debug log");
check("VerboseLogging", fa.VerboseLogging + "" + (fa.VerboseLogging = 2, fa.VerboseLogging), "01");
fa.DebugLogFilePath = dir + "\\fa.log";
check("DebugLogFilePath", fa.DebugLogFilePath, dir + "\\fa.log");
check("FileSize missing", fa.FileSize(dir + "\\none"), 0);
var text = fa.LastErrorText, xml = fa.LastErrorXml;
check("LastErrorText", text.split("\r\n")[1], "  FileSize:");
has("LastErrorText open failure", text, "    openForReadWin32:\r\n");
check("LastErrorText read twice", fa.LastErrorText, text);
check("LastErrorXml", xml.split("\r\n").slice(0, 3).join("|"), "<TarnixLog>|<FileSize>|<openForReadWin32>");
has("LastErrorHtml", fa.LastErrorHtml, "FileSize:<blockquote>\r\nopenForReadWin32:<blockquote>\r\n");
check("SaveLastError", "" + fa.SaveLastError(" " + dir + "\\fa.xml\t") + fa.SaveLastError(""), "10");
check("saved", fa.ReadEntireTextFile(dir + "\\fa.xml", "utf-8"), xml);
has("debug log", fa.ReadEntireTextFile(dir + "\\fa.log", "utf-8"), "FileSize");

WScript.Echo("tree walk");
var base = dir + "\\tree";
each([["x\\y\\z"], ["x\\w"], ["v"]], function (d) { fa.DirAutoCreate(base + "\\" + d); });
each([["1.txt", "1"], ["x\\2.txt", "22"], ["x\\y\\3.txt", "333"], ["x\\y\\z\\4.txt", "4444"], ["x\\w\\5.txt", "55555"]],
     function (name, text) { fa.WriteEntireTextFile(base + "\\" + name, text, "utf-8", 0); });
function walk(recurse) {
    var seen = {}, list = [], depth = 0;
    dt.Recurse = recurse;
    for (var ok = dt.BeginIterate(); ok; ok = dt.AdvancePosition()) {
        var rel = dt.RelativePath, level = rel.split("\\").length;
        check("breadth-first at " + rel, level >= depth, true);
        depth = level;
        check("FullPath " + rel, dt.FullPath, base + "\\" + rel);
        check("FullUncPath " + rel, dt.FullUncPath, "\\\\?\\" + base + "\\" + rel);
        list.push(rel + (dt.IsDirectory ? "\\" : ":" + dt.FileSize32));
    }
    check("DoneIterating", dt.DoneIterating + dt.RelativePath + dt.FullPath + dt.FileSize32, 1 + "" + "" + 0);
    return list.sort().join(" ");
}
check("defaults", dt.Recurse + "" + dt.DoneIterating + (dt.BaseDir === home), "11true");
dt.BaseDir = base.replace(/\\/g, "/");
check("BaseDir", dt.BaseDir, base);
each([[1, "1.txt:1 v\\ x\\ x\\2.txt:2 x\\w\\ x\\w\\5.txt:5 x\\y\\ x\\y\\3.txt:3 x\\y\\z\\ x\\y\\z\\4.txt:4"],
      [0, "1.txt:1 v\\ x\\"]], function (recurse, want) {
    check("walk with Recurse " + recurse, walk(recurse), want);
});
check("AdvancePosition at the end", dt.AdvancePosition(), 0);
has("finished", dt.LastErrorText, "Already finished iterating directory tree.");
has("DirTree LastErrorXml", dt.LastErrorXml, "<error>Already finished iterating directory tree.</error>");
has("DirTree LastErrorHtml", dt.LastErrorHtml, "AdvancePosition:<blockquote>");
dt.BaseDir = base + "\\v";
check("empty BaseDir", "" + dt.BeginIterate() + dt.DoneIterating, "01");
dt.BaseDir = dir + "\\none";
check("missing BaseDir", "" + dt.BeginIterate() + dt.DoneIterating, "01");
check("DirTree SaveLastError", "" + dt.SaveLastError(dir + "\\dt.xml") + fa.FileExists(dir + "\\dt.xml"), "11");
dt.VerboseLogging = 3;
dt.DebugLogFilePath = dir + "\\dt.log";
check("DirTree flags", dt.VerboseLogging + dt.DebugLogFilePath, 1 + dir + "\\dt.log");
dt.BeginIterate();
has("DirTree debug log", fa.ReadEntireTextFile(dir + "\\dt.log", "utf-8"), "BeginIterate");

WScript.Echo("all " + checks + " checks passed");
