' VORTAN round trip from VBScript: writes three sample files into the simulated board DEMO,
' reads them back into a new folder and compares them. Each transfer gets a server of its
' own (one CreateObject per call). Run:  cscript //nologo round_trip.vbs [BOARD]
' The board must exist:  vortan-board create DEMO
Option Explicit
On Error Resume Next
Dim board, fso, work, back, names, files, list, i, r, code, v1, v2, v3, server, same
board = "DEMO"
If WScript.Arguments.Count > 0 Then board = WScript.Arguments(0)
Set fso = CreateObject("Scripting.FileSystemObject")

Sub Fail(what)
    WScript.Echo what & ": error 0x" & Hex(Err.Number) & " " & Err.Description & ", result " & r
    WScript.Quit 1
End Sub

' A fresh server for every call: a server ends after its transfer.
Function Vortan()
    Set Vortan = CreateObject("ZEPH.VORTAN.Application.7")
    If Err.Number <> 0 Then Fail "CreateObject(""ZEPH.VORTAN.Application.7"") - is register.cmd run?"
End Function

work = fso.BuildPath(fso.GetSpecialFolder(2), fso.GetTempName())
back = fso.BuildPath(work, "back")
fso.CreateFolder work
fso.CreateFolder back
names = Array("net.ini", "axis.ini", "io.cfg")
files = ""  ' full paths, for the write
list = ""   ' names in the board's memory, for the read
For i = 0 To UBound(names)
    With fso.CreateTextFile(fso.BuildPath(work, names(i)), True)
        .WriteLine "[" & names(i) & "]"
        .WriteLine "value=" & (i + 1) * 17
        .Close
    End With
    If i > 0 Then
        files = files & ";"
        list = list & ";"
    End If
    files = files & fso.BuildPath(work, names(i))
    list = list & names(i)
Next

r = 0
Vortan().WriteFile2 board, "", "", files, False, r
If Err.Number <> 0 Or r <> 1 Then Fail "WriteFile2"
WScript.Echo "WriteFile2: result " & r

Set server = Vortan()
server.ReadFile2 board, "", "", back, list, False, r
If Err.Number <> 0 Or r <> 1 Then
    ' The same server still knows why the controller failed.
    code = 0 : v1 = 0 : v2 = 0 : v3 = 0
    server.GetLastErrorCode code, v1, v2, v3
    WScript.Echo "last error " & code & " " & v1 & " " & v2 & " " & v3
    Fail "ReadFile2"
End If
Set server = Nothing
WScript.Echo "ReadFile2: result " & r

same = True
For i = 0 To UBound(names)
    If fso.OpenTextFile(fso.BuildPath(work, names(i))).ReadAll <> _
       fso.OpenTextFile(fso.BuildPath(back, names(i))).ReadAll Then same = False
Next
fso.DeleteFolder work, True
If Not same Then
    WScript.Echo "the files read back differ"
    WScript.Quit 1
End If
WScript.Echo "round trip OK: " & list
