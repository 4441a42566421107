' What every VBScript suite counts and how it ends. The test runner puts this
' file in front of a suite (Wine's VBScript has no ExecuteGlobal to include it
' with); ctest passes a suite only on the closing line Done prints, since
' cscript exits 0 even after a script error.
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
