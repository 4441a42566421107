' The silent switch seen from a script, with reports caught by the test's
' recording error handler.
' Check and Done come from Check.vbs, run in front of this file.
Dim fso : Set fso = CreateObject("Scripting.FileSystemObject")

' Arguments: the scratch folder, and the file the recording handler writes
' (NIMBRA_REPORT_LOG of this process).
Dim dir : dir = WScript.Arguments(0)
Dim log : log = WScript.Arguments(1)

Function Reports()
    Reports = Array()
    If Not fso.FileExists(log) Then Exit Function
    Dim text : text = fso.OpenTextFile(log, 1).ReadAll
    If Right(text, 1) = vbLf Then text = Left(text, Len(text) - 1)
    Reports = Split(text, vbLf)
End Function

Dim missing : missing = dir & "\no-such-file.txt"
Dim e : Set e = CreateObject("NimbraForm.Error")
Check e.SilentError = False, "the first Error object starts with the switch off"

Dim s : Set s = CreateObject("NimbraForm.SpEv")
Dim text : text = s.TextRead(missing)
Check text = "", "a failed TextRead returns an empty string"
Dim r : r = Reports()
Check UBound(r) = 0, "one report for one failure"
If UBound(r) = 0 Then
    Dim fields : fields = Split(r(0), vbTab)
    Check fields(3) = "53", "file not found is error 53, got " & fields(3)
    Check fields(5) = "TextRead", "procedure name"
    Check fields(7) & " " & fields(8) = "Klassenmodul SpEv", "module kind and name"
    Check CLng(fields(6)) > 0, "the failing line is recorded"
End If

e.SilentError = True
Check CInt(e.SilentError) = -1, "SilentError reads back -1"
text = s.TextRead(missing)
Check UBound(Reports()) = 0, "with the switch on nothing is reported"
CreateObject("NimbraForm.Error").SilentError = False
Check e.SilentError = False, "the switch is one per library"
text = s.TextRead(missing)
Check UBound(Reports()) = 1, "switch off again: reported"

Done
