' Times the same work through TarnixFileAccess and Scripting.FileSystemObject in one
' cscript process: FileExists calls on present and missing files, a walk of a tree
' with names and sizes, and rows that split a call's cost: dispatch alone, the short
' log frame (AppendUtf8BOM with no file open), the full frame (RelativePath) and no
' frame (FileSize32). Best of three per row; prints
' milliseconds, microseconds per call and the ratio ours/FSO (below 1: ours is faster).
' Usage: cscript //nologo CompareFso.vbs DATA_FOLDER CALLS   (bench/compare_fso.sh)
Option Explicit
Dim fa, dt, fso, data, calls, present, missing, sink, ours, theirs, n
Set fa = CreateObject("Tarnix.FileAccess")
Set dt = CreateObject("Tarnix.DirTree")
Set fso = CreateObject("Scripting.FileSystemObject")
data = WScript.Arguments(0)
calls = CLng(WScript.Arguments(1))
present = data & "\d0\s0\f0.txt"
missing = data & "\d0\s0\none.txt"

Function Best(name)
    Dim run, start, took
    Best = 1E+99
    For run = 1 To 3
        start = Timer
        RunAction name
        took = Timer - start
        If took < 0 Then took = took + 86400 ' past midnight
        If took < Best Then Best = took
    Next
    Best = Best * 1000
End Function
Function Pad(s, width)
    Pad = Right(Space(width) & s, width)
End Function
Sub Row(label, count, oursName, theirsName)
    Dim a, b
    a = Best(oursName)
    If theirsName = "" Then b = -1 Else b = Best(theirsName)
    If b < 0 Then
        WScript.Echo Pad(label, 36) & Pad(Round(a), 8) & Pad("-", 8) & Pad(FormatNumber(1000 * a / count, 2), 9)
    Else
        WScript.Echo Pad(label, 36) & Pad(Round(a), 8) & Pad(Round(b), 8) & _
            Pad(FormatNumber(1000 * a / count, 2), 9) & Pad(FormatNumber(1000 * b / count, 2), 9) & _
            Pad(FormatNumber(a / b, 2), 7)
    End If
End Sub

Sub OursExists : Dim i : For i = 1 To calls : sink = fa.FileExists(present) : sink = fa.FileExists(missing) : i = i + 1 : Next : End Sub
Sub FsoExists : Dim i : For i = 1 To calls : sink = fso.FileExists(present) : sink = fso.FileExists(missing) : i = i + 1 : Next : End Sub
Sub OursPresent : Dim i : For i = 1 To calls / 2 : sink = fa.FileExists(present) : Next : End Sub
Sub FsoPresent : Dim i : For i = 1 To calls / 2 : sink = fso.FileExists(present) : Next : End Sub
Sub OursMissing : Dim i : For i = 1 To calls / 2 : sink = fa.FileExists(missing) : Next : End Sub
Sub FsoMissing : Dim i : For i = 1 To calls / 2 : sink = fso.FileExists(missing) : Next : End Sub
Sub OursDispatch : Dim i : For i = 1 To calls / 2 : sink = fa.VerboseLogging : Next : End Sub
Sub FsoDispatch : Dim i : For i = 1 To calls / 2 : sink = fso.GetFileName("a\b") : Next : End Sub
Sub OursShortFrame : Dim i : For i = 1 To calls / 2 : sink = fa.AppendUtf8BOM : Next : End Sub
Sub OursFullFrame : Dim i : For i = 1 To calls / 10 : sink = dt.RelativePath : Next : End Sub
Sub OursNoFrame : Dim i : For i = 1 To calls / 10 : sink = dt.FileSize32 : Next : End Sub

' The walks must see the same files and bytes, or their times mean nothing.
Function WalkOurs()
    Dim files, bytes, more
    files = 0 : bytes = 0
    dt.BaseDir = data
    more = dt.BeginIterate
    Do While more = 1
        If dt.IsDirectory = 0 Then
            files = files + 1
            bytes = bytes + dt.FileSize32
            sink = dt.RelativePath
        End If
        more = dt.AdvancePosition
    Loop
    WalkOurs = files & " files, " & bytes & " bytes"
End Function
Function WalkFolder(folder, ByRef files, ByRef bytes)
    Dim item
    For Each item In folder.Files
        files = files + 1
        bytes = bytes + item.Size
        sink = item.Name
    Next
    For Each item In folder.SubFolders
        WalkFolder item, files, bytes
    Next
End Function
Function WalkFso()
    Dim files, bytes
    files = 0 : bytes = 0
    WalkFolder fso.GetFolder(data), files, bytes
    WalkFso = files & " files, " & bytes & " bytes"
End Function
' Wine's VBScript has neither GetRef nor Execute: actions are picked by name here.
Sub RunAction(name)
    Select Case name
    Case "OursExists" : OursExists
    Case "FsoExists" : FsoExists
    Case "OursWalk" : sink = WalkOurs
    Case "FsoWalk" : sink = WalkFso
    Case "OursPresent" : OursPresent
    Case "FsoPresent" : FsoPresent
    Case "OursMissing" : OursMissing
    Case "FsoMissing" : FsoMissing
    Case "OursDispatch" : OursDispatch
    Case "FsoDispatch" : FsoDispatch
    Case "OursShortFrame" : OursShortFrame
    Case "OursFullFrame" : OursFullFrame
    Case "OursNoFrame" : OursNoFrame
    End Select
End Sub

ours = WalkOurs : theirs = WalkFso
If ours <> theirs Then
    WScript.Echo "walks differ: ours " & ours & ", FSO " & theirs
    WScript.Quit 1
End If
n = Split(ours)
n = CLng(n(0))

WScript.Echo Pad("operation", 36) & Pad("ours ms", 8) & Pad("FSO ms", 8) & Pad("ours us", 9) & Pad("FSO us", 9) & Pad("ratio", 7)
Row "FileExists x " & calls & ", half missing", calls, "OursExists", "FsoExists"
Row "walk of " & ours, n, "OursWalk", "FsoWalk"
WScript.Echo "where a call's time goes:"
Row "FileExists, present", calls / 2, "OursPresent", "FsoPresent"
Row "FileExists, missing", calls / 2, "OursMissing", "FsoMissing"
Row "dispatch alone (property get)", calls / 2, "OursDispatch", "FsoDispatch"
Row "short log frame, no I/O", calls / 2, "OursShortFrame", ""
dt.BaseDir = data : dt.BeginIterate
Row "full log frame, no I/O", calls / 10, "OursFullFrame", ""
Row "no log frame (FileSize32)", calls / 10, "OursNoFrame", ""
