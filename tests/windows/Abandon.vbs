' A client that ends without releasing its object, as one that crashes does.
Dim o
Set o = CreateObject("ZEPH.VORTAN.Application.7")
If Err.Number = 0 Then WScript.Echo "PASS"
WScript.Quit 0
