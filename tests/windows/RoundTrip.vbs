' Write three files, read them back, remove one, format; each transfer with a server of its
' own. Arguments: board, local directory, directory to read into, the board's flash directory.
' The harness compares the bytes read back.
Option Explicit
On Error Resume Next
Dim board, local, back, flash, fso, o, r, sel, code, v1, v2, v3
board = WScript.Arguments(0)
local = WScript.Arguments(1)
back = WScript.Arguments(2)
flash = WScript.Arguments(3)
Set fso = CreateObject("Scripting.FileSystemObject")

Sub Check(what, ok)
    If Err.Number <> 0 Then
        WScript.Echo what & ": error " & Hex(Err.Number) & " " & Err.Description
        WScript.Quit 1
    End If
    If Not ok Then
        WScript.Echo what & ": wrong outcome, result " & r
        WScript.Quit 1
    End If
End Sub

Function Server()
    Set Server = CreateObject("ZEPH.VORTAN.Application.7")
    Check "CreateObject", True
End Function

r = 0
Server().WriteFile2 board, "", "", local & "\net.ini;" & local & "\axis.bin;" & local & "\tiny.txt", False, r
Check "WriteFile2", r = 1 And fso.FileExists(flash & "\axis.bin")

Server().ReadFile2 board, "", "", back, "net.ini;axis.bin;tiny.txt", False, r
Check "ReadFile2", r = 1 And fso.FileExists(back & "\tiny.txt")

Server().RemoveFiles2 board, "", "", "tiny.txt", False, r
Check "RemoveFiles2", r = 1 And Not fso.FileExists(flash & "\tiny.txt") And fso.FileExists(flash & "\net.ini")

' Reading the removed file fails; the same server then tells why.
fso.CreateFolder back & "\again"
Set o = Server()
r = 0
o.ReadFile2 board, "", "", back & "\again", "tiny.txt", False, r
Check "ReadFile2 of a removed file", r = 0 And Not fso.FileExists(back & "\again\tiny.txt")
code = 0 : v1 = 0 : v2 = 0 : v3 = 0
o.GetLastErrorCode code, v1, v2, v3
Check "GetLastErrorCode after the failure", code <> 0
Set o = Nothing

sel = 0
Server().Format2 sel, board, "", "", False, r
Check "Format2", r = 1 And sel = 1 And fso.GetFolder(flash).Files.Count = 0

' CloseServer ends the process at once: the object's next call finds nobody.
Set o = Server()
o.CloseServer
Check "CloseServer", True
WScript.Sleep 500
o.GetLastErrorCode code, v1, v2, v3
If Err.Number = 0 Then
    WScript.Echo "the server still answers after CloseServer"
    WScript.Quit 1
End If
Err.Clear
WScript.Echo "PASS"
