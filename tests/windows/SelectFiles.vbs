' ShowFileSelectDialog returns the files the user chose, in the order chosen; a cancelled
' dialog returns none. Arguments: local directory, the answer file.
Option Explicit
On Error Resume Next
Dim local, fso, chosen, result

local = WScript.Arguments(0)
Set fso = CreateObject("Scripting.FileSystemObject")

Sub Answer(line)
    Dim f
    Set f = fso.CreateTextFile(WScript.Arguments(1), True)
    f.WriteLine line
    f.Close
End Sub

Sub Check(what, ok)
    If Err.Number <> 0 Or Not ok Then
        WScript.Echo what & ": error " & Hex(Err.Number) & ", result " & result & ", files '" & chosen & "'"
        WScript.Quit 1
    End If
End Sub

' Files, several at once, from an open dialog (FileMode | MultipleFiles | OpenDialog).
Answer "filedialog ok """ & local & "\tiny.txt"" """ & local & "\net.ini"""
chosen = "" : result = 0
CreateObject("ZEPH.VORTAN.Application.7").ShowFileSelectDialog "", "", local, 0, &H203, chosen, result
Check "two files", result = 1 And chosen = local & "\tiny.txt;" & local & "\net.ini"

Answer "filedialog cancel"
chosen = "x" : result = 0
CreateObject("ZEPH.VORTAN.Application.7").ShowFileSelectDialog "", "", local, 0, &H203, chosen, result
Check "cancelled", result = 2 And chosen = ""
WScript.Echo "PASS"
