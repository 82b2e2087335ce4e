// One text written in several character sets: its bytes, the byte order mark each
// set writes when asked for one, and whether the text reads back the same.
// Register the DLL once (regsvr32 TarnixFileAccess.dll), then run:
//     cscript //nologo Charsets.js
var fa = new ActiveXObject("Tarnix.FileAccess");
var path = fa.GetTempFilename(fa.CurrentDir, "charsets.txt");
var text = "Gr\u00fc\u00dfe \u20ac"; // u-umlaut, sharp s and the euro sign

function pad(s, n) { return (s + "                ").slice(0, n); }
WScript.Echo(pad("charset", 14) + pad("mark", 8) + pad("read back", 11) + "bytes");
var charsets = ["utf-8", "utf-16le", "utf-16be", "windows-1252", "iso-8859-15", "ibm850", "utf-7"];
for (var i = 0; i < charsets.length; i++) {
    var cs = charsets[i];
    fa.WriteEntireTextFile(path, text, cs, 0);
    var bytes = fa.ReadBinaryToEncoded(path, "hex");
    var back = fa.ReadEntireTextFile(path, cs) === text ? "same" : "differs";
    fa.WriteEntireTextFile(path, text, cs, 1);
    var mark = fa.ReadBinaryToEncoded(path, "hex");
    mark = mark.substr(0, mark.length - bytes.length) || "-";
    WScript.Echo(pad(cs, 14) + pad(mark, 8) + pad(back, 11) + bytes);
}
// ibm850 has no euro sign, so that text cannot read back the same.

// Replacing works on the bytes of the text in the file's charset.
fa.WriteEntireTextFile(path, text, "iso-8859-15", 0);
WScript.Echo("ReplaceStrings euro sign -> EUR: " + fa.ReplaceStrings(path, "iso-8859-15", "\u20ac", "EUR") +
             ", file now " + fa.ReadBinaryToEncoded(path, "hex"));
// An empty search string is refused: -1, and the log says why.
WScript.Echo("ReplaceStrings of nothing: " + fa.ReplaceStrings(path, "iso-8859-15", "", "x"));
WScript.Echo(fa.LastErrorText);
fa.FileDelete(path);
