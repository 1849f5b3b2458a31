' Two objects are two processes: closing one leaves the other serving.
' Arguments: board, local directory.
Option Explicit
On Error Resume Next
Dim a, b, r

Function Servers()
    Dim p
    Servers = 0
    For Each p In GetObject("winmgmts:").ExecQuery("select * from Win32_Process where Name = 'vortan.exe'")
        Servers = Servers + 1
    Next
End Function

Sub Fail(what)
    WScript.Echo what & " (error " & Hex(Err.Number) & ", " & Servers() & " servers)"
    WScript.Quit 1
End Sub

Set a = CreateObject("ZEPH.VORTAN.Application.7")
Set b = CreateObject("ZEPH.VORTAN.Application.7")
If Err.Number <> 0 Or Servers() <> 2 Then Fail "two objects, two processes"

a.CloseServer
r = 0
b.WriteFile2 WScript.Arguments(0), "", "", WScript.Arguments(1) & "\net.ini", False, r
If Err.Number <> 0 Or r <> 1 Then Fail "the second server after the first closed"
Set a = Nothing
Set b = Nothing
WScript.Echo "PASS"
