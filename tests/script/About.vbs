' The control's About from a script client: each call shows the about window
' modally and comes back once the window has been clicked away (about.sh
' clicks it); nothing reaches the script, and the control works on.

Dim f : Set f = CreateObject("NimbraForm.xpForm")
f.Caption = "vorher"
Dim round
On Error Resume Next
For round = 1 To 2
    f.About
    Check Err.Number = 0, "About " & round & " returns without an error (" & Err.Number & ")"
    Err.Clear
    WScript.Echo "About " & round & " fertig"  ' about.sh waits for this line
Next
On Error GoTo 0
Check f.Caption = "vorher", "the control works on after About"

Done
