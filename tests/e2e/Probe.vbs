' Prints "geladen" when NimbraForm's classes can be created and called late
' bound in this script host's architecture, "nicht registriert" when not.
On Error Resume Next
Set e = CreateObject("NimbraForm.Error")
If Err.Number <> 0 Then
    WScript.Echo "nicht registriert"
    WScript.Quit
End If
Set u = CreateObject("NimbraForm.SpEv")
e.SilentError = True
If Err.Number = 0 And e.SilentError = True And u.FileExists("C:\windows\win.ini") Then
    WScript.Echo "geladen"
Else
    WScript.Echo "Fehler " & Err.Number
End If
