' Both classes driven from VBScript as a script author would. Argument: an empty
' scratch folder. Stops with exit code 1 at the first failed check.
Option Explicit
Dim fa, dt, dir, checks, i, row, f, g, b, text
Set fa = CreateObject("TarnixFileAccess.TxFileAccess")
Set dt = CreateObject("Tarnix.DirTree")
dir = WScript.Arguments(0)
f = dir & "\f.bin" : g = dir & "\g.bin"

Sub Fail(what, got, want)
    WScript.Echo "FAILED " & what & ": got [" & got & "], expected [" & want & "]"
    WScript.Echo fa.LastErrorText & dt.LastErrorText
    WScript.Quit 1
End Sub
Sub Check(what, got, want)
    checks = checks + 1
    If CStr(got) <> CStr(want) Then Fail what, got, want
End Sub
Sub Has(what, text, part)
    checks = checks + 1
    If InStr(text, part) = 0 Then Fail what, text, "... " & part & " ..."
End Sub
' VBScript cannot index a byte array; the component shows its bytes instead.
Function Hx(path)
    Hx = fa.ReadBinaryToEncoded(path, "hex")
End Function
' Text from its UTF-8 bytes in hex (Wine's VBScript has no ChrW).
Function U(hex)
    Dim bytes, k
    ReDim bytes(Len(hex) / 2 - 1)
    For k = 0 To UBound(bytes) : bytes(k) = CByte("&H" & Mid(hex, 2 * k + 1, 2)) : Next
    fa.WriteEntireFile g, bytes
    U = fa.ReadEntireTextFile(g, "utf-8")
End Function
Function BytesHex(bytes)
    fa.WriteEntireFile g, bytes
    BytesHex = Hx(g)
End Function

WScript.Echo "text in charsets"
' Charset, the text as UTF-8, its bytes in the charset, the preamble.
Dim charsets : charsets = Array( _
    Array("utf-8", "4772C3BCC39F6520E282AC", "4772C3BCC39F6520E282AC", "EFBBBF"), _
    Array("iso-8859-1", "4772C3BCC39F65", "4772FCDF65", ""), _
    Array("windows-1252", "E282AC35", "8035", ""), _
    Array("iso-8859-7", "CEA9CEBC", "D9EC", ""), _
    Array(" Shift_JIS ", "E697A5E69CAC", "93FA967B", ""), _
    Array("euc-kr", "ED959CEAB5AD", "C7D1B1B9", ""), _
    Array("koi8-r", "D09FD180D0B8", "F0D2C9", ""), _
    Array("utf-7", "CEA9CEBC", "2B41366B4476412D", ""), _
    Array("utf-16le", "41E282AC", "4100AC20", "FFFE"), _
    Array("utf-16be", "41E282AC", "004120AC", "FEFF"))
For Each row In charsets
    row(1) = U(row(1))
    Check row(0) & " with preamble", fa.WriteEntireTextFile(f, row(1), row(0), 1) & Hx(f), 1 & row(3) & row(2)
    Check row(0) & " read back", fa.ReadEntireTextFile(f, row(0)), row(1)
    Check row(0) & " bare", fa.WriteEntireTextFile(f, row(1), row(0), 0) & Hx(f), 1 & row(2)
    Check row(0) & " read back bare", fa.ReadEntireTextFile(f, row(0)), row(1)
    Check row(0) & " AppendText", fa.OpenForWrite(f) & fa.AppendText(row(1), row(0)), "11"
    fa.FileClose
    Check row(0) & " appended bytes", Hx(f), row(2)
Next
text = U("6162C3A9")
fa.WriteEntireTextFile g, text, "ansi", 0
fa.OpenForWrite f : fa.AppendAnsi text : fa.FileClose
Check "AppendAnsi writes the ANSI code page", Hx(f), Hx(g)

WScript.Echo "byte arrays"
' Byte arrays in and out; FileRead in pieces with the end-of-file flag.
Check "WriteEntireFile", fa.WriteEntireFile(f, Array(CByte(0), CByte(255), CByte(10), CByte(13))) & Hx(f), "100FF0A0D"
b = fa.ReadEntireFile(f)
Check "ReadEntireFile", BytesHex(b), "00FF0A0D"
Check "a string writes UTF-16", BytesHex("AB"), "41004200"
Check "OpenForRead", fa.OpenForRead(f) & fa.FileOpenError & " " & fa.FileOpenErrorMsg, "10 Success."
Dim reads : reads = Array(Array(3, "00FF0A", 0), Array(1, "0D", 0), Array(1, "", 1))
For Each row In reads
    Check "FileRead " & row(0), BytesHex(fa.FileRead(row(0))), row(1)
    Check "EndOfFile after " & row(1), fa.EndOfFile, row(2)
Next
Check "FileSeek from the start", fa.FileSeek(1, 0) & BytesHex(fa.FileRead(2)), "1FF0A"
Check "FileSeek to the end", fa.FileSeek(10, 2) & BytesHex(fa.FileRead(1)) & fa.EndOfFile, "11"
fa.FileClose : fa.FileClose
text = fa.FileRead(4)
Has "FileRead with no file", fa.LastErrorText, "No file is open."
Check "FileRead with no file", BytesHex(text), ""
Check "FileWrite with no file", fa.FileWrite(b), 0
Has "FileWrite with no file", fa.LastErrorText, "File not open"
fa.OpenForWrite f
Check "AppendUtf8BOM", fa.AppendUtf8BOM() & fa.FileWrite(b) & fa.AppendUnicodeBOM(), "111"
fa.FileClose
Check "written through the open file", Hx(f), "EFBBBF00FF0A0DFFFE"
fa.OpenForAppend f : fa.FileWrite "Z" : fa.FileClose
Check "OpenForAppend", Hx(f), "EFBBBF00FF0A0DFFFE5A00"
fa.OpenForReadWrite f : fa.FileSeek 9, 0 : fa.FileWrite Array(CByte(&H58)) : fa.FileClose
Check "OpenForReadWrite", Hx(f), "EFBBBF00FF0A0DFFFE5800"
Check "FileOpen GENERIC_READ", fa.FileOpen(f, &H80000000, 1, 3, 0) & BytesHex(fa.FileRead(3)), "1EFBBBF"
fa.FileClose
Check "FileOpen missing", fa.FileOpen(dir & "\none", &H80000000, 1, 3, 0) & fa.FileOpenError & " " & fa.FileOpenErrorMsg, "02 File not found."

WScript.Echo "encoded reads"
' Encoded reads: content, encoding, result.
Dim encodings : encodings = Array(Array("abc", "base64", "YWJj"), Array("abc", " BASE-64 ", "YWJj"), _
    Array("a b~", "url", "a%20b~"), Array("a b~", "url_rfc1738", "a%20b%7E"), _
    Array("a=b", "qp", "a=3Db"), Array("a b~", "hex", "6120627E"), Array("abc", "rot13", ""))
For Each row In encodings
    fa.WriteEntireTextFile f, row(0), "utf-8", 0
    Check "ReadBinaryToEncoded " & row(1), fa.ReadBinaryToEncoded(f, row(1)), row(2)
Next
Check "ReadBinaryToEncoded missing", fa.ReadBinaryToEncoded(dir & "\none", "hex"), ""
Has "ReadBinaryToEncoded missing log", fa.LastErrorText, "Failed."

WScript.Echo "files and directories"
Check "FileExists", fa.FileExists(f) & fa.FileExists(dir) & fa.FileExists(dir & "\none") & fa.FileExists(""), "1100"
Check "FileSize", fa.FileSize(f) & " " & fa.FileSize(dir & "\none"), "3 0"
Check "FileCopy", fa.FileCopy(f, dir & "\c", 1) & fa.FileCopy(f, dir & "\c", 1), "10"
Has "FileCopy failIfExists", fa.LastErrorText, "Failed to copy file"
Check "FileRename", fa.FileRename(dir & "\c", dir & "\r") & fa.FileExists(dir & "\c"), "10"
Check "FileDelete, missing too", fa.FileDelete(dir & "\r") & fa.FileExists(dir & "\r") & fa.FileDelete(dir & "\r"), "101"
Has "FileDelete missing", fa.LastErrorText, "failedToDeleteFilepath"
Check "DirCreate", fa.DirCreate(dir & "\d") & fa.DirCreate(dir & "\x\y"), "10"
Check "DirAutoCreate", fa.DirAutoCreate(dir & "\x\y\z") & fa.FileExists(dir & "\x\y\z"), "11"
Check "DirEnsureExists", fa.DirEnsureExists(dir & "\e1\e2\f.txt") & fa.FileExists(dir & "\e1\e2"), "11"
Check "TreeDelete", fa.TreeDelete(dir & "\x") & fa.FileExists(dir & "\x") & fa.FileExists(dir & "\x\y"), "110"
Check "DirDelete", fa.DirDelete(dir & "\x") & fa.FileExists(dir & "\x") & fa.TreeDelete(dir & "\x"), "101"
Dim temps : temps = Array(Array("abc", "abc_", ".tmp"), Array("log.txt", "log_", ".txt"), Array("", "x_", ".tmp"))
For Each row In temps
    text = fa.GetTempFilename(dir, row(0))
    Check "GetTempFilename " & row(0), Left(text, Len(dir) + 1 + Len(row(1))) & Right(text, 4), dir & "\" & row(1) & row(2)
    Check "GetTempFilename length " & row(0), Len(text), Len(dir) + 5 + Len(row(1)) + 4
    For i = 1 To 4
        Has "GetTempFilename letters", "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789", Mid(text, Len(dir) + 1 + Len(row(1)) + i, 1)
    Next
Next
Dim saved : saved = fa.CurrentDir
Check "SetCurrentDir", fa.SetCurrentDir(dir & "\d"), 1
Check "CurrentDir", Right(fa.CurrentDir, 2), "\d"
Check "relative path", fa.WriteEntireTextFile("rel.txt", "r", "utf-8", 0) & fa.FileExists(dir & "\d\rel.txt"), "11"
fa.SetCurrentDir saved

WScript.Echo "split, reassemble, replace"
text = String(100, "a") & String(100, "b") & String(50, "c")
fa.WriteEntireTextFile f, text, "utf-8", 0
fa.DirCreate dir & "\parts"
Check "SplitFile", fa.SplitFile(f, "part", ".dat", 100, dir & "\parts"), 1
Check "part sizes", fa.FileSize(dir & "\parts\part1.dat") & fa.FileSize(dir & "\parts\part3.dat") & fa.FileExists(dir & "\parts\part4.dat"), "100500"
Check "ReassembleFile", fa.ReassembleFile(dir & "\parts", "part", "dat", g), 1
Check "reassembled", fa.ReadEntireTextFile(g, "utf-8"), text
Dim replaces : replaces = Array(Array("aaaa", "aa", "a", 2, "aa"), Array("aaaa", "zz", "y", 0, "aaaa"), _
    Array(U("4772C3BC6E"), U("C3BC"), "ue", 1, "Gruen"), Array("ab", "", "y", -1, "ab"))
For Each row In replaces
    fa.WriteEntireTextFile f, row(0), "iso-8859-1", 0
    Check "ReplaceStrings " & row(1), fa.ReplaceStrings(f, "iso-8859-1", row(1), row(2)), row(3)
    Check "after ReplaceStrings " & row(1), fa.ReadEntireTextFile(f, "iso-8859-1"), row(4)
Next
fa.ReplaceStrings f, "utf-8", "", "y"
Has "ReplaceStrings empty", fa.LastErrorText, "str1 is empty."

WScript.Echo "last error, debug log"
fa.VerboseLogging = 5
Check "VerboseLogging", fa.VerboseLogging, 1
Check "OpenForRead missing", fa.OpenForRead(dir & "\none") & fa.FileOpenError & fa.FileOpenErrorMsg, "02File not found."
text = fa.LastErrorText
Check "LastErrorText", Left(text, 28), "TarnixLog:" & vbCrLf & "  OpenForRead:" & vbCrLf
Has "LastErrorText header", text, "    Language: ActiveX" & vbCrLf & "    VerboseLogging: 1" & vbCrLf
Has "LastErrorText result", text, "    Failed." & vbCrLf & "  --OpenForRead" & vbCrLf & "--TarnixLog" & vbCrLf
Has "LastErrorXml", fa.LastErrorXml, "<TarnixLog>" & vbCrLf & "<OpenForRead>" & vbCrLf
Has "LastErrorHtml", fa.LastErrorHtml, "TarnixLog:<blockquote>" & vbCrLf & "OpenForRead:<blockquote>"
text = fa.LastErrorXml
Check "SaveLastError", fa.SaveLastError(dir & "\err.xml") & fa.SaveLastError("  "), "10"
Check "saved XML", fa.ReadEntireTextFile(dir & "\err.xml", "utf-8"), text
fa.DebugLogFilePath = dir & "\debug.log"
Check "DebugLogFilePath", fa.DebugLogFilePath, dir & "\debug.log"
fa.FileExists dir & "\none"
Has "debug log", fa.ReadEntireTextFile(dir & "\debug.log", "utf-8"), "FileExists"

WScript.Echo "tree walk"
Dim base : base = dir & "\tree"
fa.DirAutoCreate base & "\s\t" : fa.DirCreate base & "\e"
fa.WriteEntireTextFile base & "\a.txt", "abc", "utf-8", 0
fa.WriteEntireTextFile base & "\b.txt", "", "utf-8", 0
fa.WriteEntireTextFile base & "\s\c.txt", "hello", "utf-8", 0
fa.WriteEntireTextFile base & "\s\t\d.txt", "d", "utf-8", 0
Function Walk()
    Dim depth, rel : depth = 0 : Walk = ";"
    Check "BeginIterate", dt.BeginIterate, 1
    Do While dt.DoneIterating = 0
        rel = dt.RelativePath
        Check "FullPath " & rel, dt.FullPath, base & "\" & rel
        Check "FullUncPath " & rel, dt.FullUncPath, "\\?\" & base & "\" & rel
        Check "breadth-first at " & rel, UBound(Split(rel, "\")) >= depth, True
        depth = UBound(Split(rel, "\"))
        Walk = Walk & rel & "|" & dt.IsDirectory & "|" & dt.FileSize32 & ";"
        dt.AdvancePosition
    Loop
End Function
Check "new DirTree", dt.Recurse & dt.DoneIterating, "11"
dt.BaseDir = base
Check "BaseDir", dt.BaseDir, base
Dim walks : walks = Array(Array(1, "a.txt|0|3 b.txt|0|0 s|1|0 e|1|0 s\c.txt|0|5 s\t|1|0 s\t\d.txt|0|1"), _
    Array(0, "a.txt|0|3 b.txt|0|0 s|1|0 e|1|0"))
For Each row In walks
    dt.Recurse = row(0)
    text = Walk()
    For Each i In Split(row(1))
        Has "walk with Recurse " & row(0), text, ";" & i & ";"
    Next
    Check "entries with Recurse " & row(0), UBound(Split(text, ";")) - 1, UBound(Split(row(1))) + 1
Next
Check "AdvancePosition at the end", dt.AdvancePosition & dt.DoneIterating, "01"
Has "finished", dt.LastErrorText, "Already finished iterating directory tree."
dt.Recurse = 7
Check "Recurse flag", dt.Recurse, 1
dt.BaseDir = base & "\e"
Check "empty BaseDir", dt.BeginIterate & dt.DoneIterating & dt.RelativePath & dt.FileSize32, "010"
fa.SetCurrentDir base
dt.BaseDir = "s"
Check "relative BaseDir", dt.BaseDir, base & "\s"
fa.SetCurrentDir saved
Has "DirTree LastErrorXml", dt.LastErrorXml, "<RelativePath>"
Has "DirTree LastErrorHtml", dt.LastErrorHtml, "RelativePath:<blockquote>"
Check "DirTree SaveLastError", dt.SaveLastError(dir & "\tree.xml") & fa.FileExists(dir & "\tree.xml"), "11"
dt.VerboseLogging = -1 : dt.DebugLogFilePath = dir & "\tree.log"
Check "DirTree flags", dt.VerboseLogging & dt.DebugLogFilePath, "1" & dir & "\tree.log"
dt.BeginIterate
Has "DirTree debug log", fa.ReadEntireTextFile(dir & "\tree.log", "utf-8"), "VerboseLogging: 1"

WScript.Echo "all " & checks & " checks passed"
