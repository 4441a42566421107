' The control's About from a script client: the call shows the about window
' modally and comes back once the window has been clicked away (tests/e2e/about.sh
' clicks it). Nothing reaches the script.
Option Explicit
Dim passed, failed : passed = 0 : failed = 0
Sub Check(ok, what)
    If ok Then
        passed = passed + 1
    Else
        failed = failed + 1
        WScript.Echo "FAILED: " & what
    End If
End Sub

Dim f : Set f = CreateObject("NimbraForm.xpForm")
f.Caption = "vorher"
On Error Resume Next
f.About
Check Err.Number = 0, "About returns without an error (" & Err.Number & ")"
Err.Clear
On Error GoTo 0
Check f.Caption = "vorher", "the control works on after About"
' A second time: a new window, clicked away again.
f.About
Check True, "a second About came back"

WScript.Echo "About.vbs: " & passed & " passed, " & failed & " failed"
WScript.Quit failed
