' The control from VBScript: the conversions a script's values go through on
' their way to an automation Boolean or an object, and what a script meets for
' a member that does not exist. The values themselves are checked late bound
' (LateBoundTest). Check and Done come from Check.vbs, run in front of this file.

Dim f : Set f = CreateObject("NimbraForm.xpForm")
f.ShowInTaskBar = 1
Check CInt(f.ShowInTaskBar) = -1, "any non-zero number is stored as True"
Set f.Icon = Nothing
Check f.Icon Is Nothing, "Icon set to Nothing"

On Error Resume Next
f.NoSuchProperty = 1
Check Err.Number = 438, "an unknown member is error 438, got " & Err.Number
On Error GoTo 0

Done
