' First steps with TarnixFileAccess: write a text file and read it back, look at its
' bytes, copy it, read it in pieces, and read why a call failed. It works in a
' folder TarnixFirstSteps below the current folder and removes it at the end.
' Register the DLL once (regsvr32 TarnixFileAccess.dll), then run:
'     cscript //nologo FirstSteps.vbs
Option Explicit
Dim fa, work, path, reads, piece
Set fa = CreateObject("Tarnix.FileAccess")
work = fa.CurrentDir & "\TarnixFirstSteps"
fa.DirAutoCreate work
path = work & "\hello.txt"

' No method raises an error: each returns a plain result, 1 or 0 for success.
WScript.Echo "WriteEntireTextFile:  " & fa.WriteEntireTextFile(path, "Hello, world!", "utf-8", 1)
WScript.Echo "FileExists:           " & fa.FileExists(path)
WScript.Echo "FileSize:             " & fa.FileSize(path) & " bytes, 3 of them the UTF-8 byte order mark"
WScript.Echo "ReadEntireTextFile:   " & fa.ReadEntireTextFile(path, "utf-8")
WScript.Echo "as hex:               " & fa.ReadBinaryToEncoded(path, "hex")
WScript.Echo "as base64:            " & fa.ReadBinaryToEncoded(path, "base64")
WScript.Echo "FileCopy:             " & fa.FileCopy(path, work & "\copy.txt", 1)
WScript.Echo "FileCopy again:       " & fa.FileCopy(path, work & "\copy.txt", 1) & " (the copy exists)"
WScript.Echo "ReplaceStrings:       " & fa.ReplaceStrings(work & "\copy.txt", "utf-8", "world", "there")
WScript.Echo "the copy now reads:   " & fa.ReadEntireTextFile(work & "\copy.txt", "utf-8")
WScript.Echo "a free name:          " & fa.GetTempFilename(work, "note.txt")

' An open file is read in pieces until EndOfFile turns 1.
If fa.OpenForRead(path) = 1 Then
    Do While fa.EndOfFile = 0
        piece = fa.FileRead(4)
        reads = reads + 1
    Loop
    fa.FileClose
End If
WScript.Echo "FileRead(4) calls:    " & reads

' A failed call says why: an error code and message for opens, and the log.
If fa.OpenForRead(work & "\no such file.txt") = 0 Then
    WScript.Echo "OpenForRead failed:   " & fa.FileOpenError & " " & fa.FileOpenErrorMsg
    WScript.Echo fa.LastErrorText
End If

fa.TreeDelete work
fa.DirDelete work
