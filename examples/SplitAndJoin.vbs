' Splits a file into numbered parts of a fixed size and joins them again. It works
' in a folder TarnixSplit below the current folder and removes it at the end.
' Register the DLL once (regsvr32 TarnixFileAccess.dll), then run:
'     cscript //nologo SplitAndJoin.vbs
Option Explicit
Dim fa, work, i, text
Set fa = CreateObject("Tarnix.FileAccess")
work = fa.CurrentDir & "\TarnixSplit"
fa.DirEnsureExists work & "\parts\"

For i = 1 To 100
    text = text & "Line " & i & " of the file to split." & vbCrLf
Next
fa.WriteEntireTextFile work & "\whole.txt", text, "ansi", 0
WScript.Echo "whole.txt: " & fa.FileSize(work & "\whole.txt") & " bytes"

' Parts part1.dat, part2.dat, ... of 1000 bytes each; the last one holds the rest.
WScript.Echo "SplitFile: " & fa.SplitFile(work & "\whole.txt", "part", "dat", 1000, work & "\parts")
i = 1
Do While i < 100 And fa.FileExists(work & "\parts\part" & i & ".dat")
    WScript.Echo "  part" & i & ".dat: " & fa.FileSize(work & "\parts\part" & i & ".dat") & " bytes"
    i = i + 1
Loop

' Joining stops at the first missing number.
WScript.Echo "ReassembleFile: " & fa.ReassembleFile(work & "\parts", "part", "dat", work & "\joined.txt")
If fa.ReadBinaryToEncoded(work & "\joined.txt", "base64") = fa.ReadBinaryToEncoded(work & "\whole.txt", "base64") Then
    WScript.Echo "joined.txt equals whole.txt"
Else
    WScript.Echo "joined.txt differs from whole.txt"
End If

' Splitting a file that is not there fails, and the log tells what was tried.
WScript.Echo "SplitFile of a missing file: " & fa.SplitFile(work & "\missing.txt", "part", "dat", 1000, work)
WScript.Echo fa.LastErrorText

fa.TreeDelete work
fa.DirDelete work
