' The control's About from a script: each call comes back once about.sh has clicked
' the modal window away; nothing reaches the script, and the control works on.

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
