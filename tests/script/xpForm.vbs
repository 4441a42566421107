' The conversions a script's values go through on their way to an automation Boolean
' or an object, and a member that does not exist (the values: LateBoundTest).

Dim f : Set f = CreateObject("NimbraForm.xpForm")
f.ShowInTaskBar = 1
Check CInt(f.ShowInTaskBar) = -1, "any non-zero number is stored as True"
f.ShowInTaskBar = 0
Check Not f.ShowInTaskBar, "0 is False"
Set f.Icon = Nothing
Check f.Icon Is Nothing, "Icon set to Nothing"

On Error Resume Next
f.NoSuchProperty = 1
Check Err.Number = 438, "an unknown member is error 438, got " & Err.Number
On Error GoTo 0

Done
