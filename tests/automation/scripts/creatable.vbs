' Prints each ProgID given with 1 when CreateObject makes an object of it, else 0.
On Error Resume Next
Dim i, o
For i = 0 To WScript.Arguments.Count - 1
    Set o = CreateObject(WScript.Arguments(i))
    WScript.Echo WScript.Arguments(i) & " " & Abs(Err.Number = 0)
    Err.Clear
    Set o = Nothing
Next
