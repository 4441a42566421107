' The control from VBScript: the conversions a script's values go through on
' their way to automation Booleans, and what a script meets for a member that
' does not exist. The values themselves are checked late bound (LateBoundTest).
' Check and Done come from Check.vbs, run in front of this file.

Dim f : Set f = CreateObject("NimbraForm.xpForm")
f.CloseButtonVisible = True
Check CInt(f.CloseButtonVisible) = -1, "True reads back as -1"
Check VarType(f.CloseButtonVisible) = vbBoolean, "a Boolean property is a Boolean"
f.HelpButtonEnabled = -1
Check f.HelpButtonEnabled = True, "-1 is True"
f.HelpButtonEnabled = 0
Check f.HelpButtonEnabled = False, "0 is False"
f.ShowInTaskBar = 1
Check CInt(f.ShowInTaskBar) = -1, "any non-zero number is stored as True"

Set f.Icon = Nothing
Check f.Icon Is Nothing, "Icon set to Nothing"

' Two controls do not share state.
f.ColorStyle = 2
Dim g : Set g = CreateObject("NimbraForm.xpForm")
Check g.ColorStyle = 0 And Not g.CloseButtonVisible, "a second control starts fresh"

On Error Resume Next
f.NoSuchProperty = 1
Check Err.Number = 438, "an unknown member is error 438, got " & Err.Number
On Error GoTo 0

Done
