' A write whose names break the 8.3 rule is refused with the profile's message when the
' profile has one: nothing is written, and the result says so (0). Arguments: board, local
' directory, profile file.
Option Explicit
On Error Resume Next
Dim r
r = 7
CreateObject("ZEPH.VORTAN.Application.7").WriteFile2 WScript.Arguments(0), WScript.Arguments(2), "texts", _
    WScript.Arguments(1) & "\net.ini;" & WScript.Arguments(1) & "\toolongname.ini", False, r
If Err.Number <> 0 Or r <> 0 Then
    WScript.Echo "WriteFile2: error " & Hex(Err.Number) & ", result " & r
    WScript.Quit 1
End If
WScript.Echo "PASS"
