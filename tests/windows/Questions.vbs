' The questions a person answers, here from the answer file. A read that would overwrite a
' local file asks first: only "Ja" overwrites, "Abbrechen" leaves the file and reads nothing.
' ShowFileSelectDialog returns the files chosen, in their order, and none when cancelled;
' ShowDirectorySelectDialog the folder chosen.
' Arguments: board, local directory, directory to read into (holding its own net.ini), the
' answer file.
Option Explicit
On Error Resume Next
Dim board, local, back, fso, r, original, chosen

board = WScript.Arguments(0)
local = WScript.Arguments(1)
back = WScript.Arguments(2)
Set fso = CreateObject("Scripting.FileSystemObject")

Sub Answer(line)
    Dim f
    Set f = fso.CreateTextFile(WScript.Arguments(3), True)
    f.WriteLine line
    f.Close
End Sub

Function Content(path)
    Content = fso.OpenTextFile(path).ReadAll
End Function

Sub Check(what, ok)
    If Err.Number <> 0 Or Not ok Then
        WScript.Echo what & ": error " & Hex(Err.Number) & ", result " & r & ", files '" & chosen & "'"
        WScript.Quit 1
    End If
End Sub

r = 0
CreateObject("ZEPH.VORTAN.Application.7").WriteFile2 board, "", "", local & "\net.ini;" & local & "\axis.bin", False, r
Check "WriteFile2", r = 1

original = Content(back & "\net.ini")
Answer "dialog 133 cancel"
CreateObject("ZEPH.VORTAN.Application.7").ReadFile2 board, "", "", back, "net.ini;axis.bin", False, r
Check "Abbrechen", r = 2 And Content(back & "\net.ini") = original And Not fso.FileExists(back & "\axis.bin")

' No answer left: the question gets the answer that changes nothing.
Answer "# nothing"
CreateObject("ZEPH.VORTAN.Application.7").ReadFile2 board, "", "", back, "net.ini", False, r
Check "no answer", r = 2 And Content(back & "\net.ini") = original

Answer "dialog 133 ok"
CreateObject("ZEPH.VORTAN.Application.7").ReadFile2 board, "", "", back, "net.ini", False, r
Check "Ja", r = 1 And Content(back & "\net.ini") <> original

' Files, several at once, from an open dialog (FileMode | MultipleFiles | OpenDialog).
Answer "filedialog ok """ & local & "\tiny.txt"" """ & local & "\net.ini"""
chosen = "" : r = 0
CreateObject("ZEPH.VORTAN.Application.7").ShowFileSelectDialog "", "", local, 0, &H203, chosen, r
Check "two files", r = 1 And chosen = local & "\tiny.txt;" & local & "\net.ini"

Answer "folder ok """ & local & """"
chosen = "" : r = 0
CreateObject("ZEPH.VORTAN.Application.7").ShowDirectorySelectDialog "", "", "Zielverzeichnis", chosen, r
Check "a folder", r = 1 And chosen = local

Answer "filedialog cancel"
chosen = "x" : r = 0
CreateObject("ZEPH.VORTAN.Application.7").ShowFileSelectDialog "", "", local, 0, &H203, chosen, r
Check "cancelled", r = 2 And chosen = ""
WScript.Echo "PASS"
