' What every VBScript suite counts and how it ends; the test runner puts it in
' front of each suite, and ctest passes a suite only on the line Done prints.
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
Sub Done()
    WScript.Echo WScript.ScriptName & ": " & passed & " passed, " & failed & " failed"
    WScript.Quit failed
End Sub
