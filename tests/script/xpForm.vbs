' The control as a script client sees it: late bound, automation Booleans.
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

' Every Boolean is covered from JScript (Objects.js); here the VBScript conversions.
Check CInt(f.CloseButtonVisible) = 0, "a new control's Booleans are False"
f.CloseButtonVisible = True
Check CInt(f.CloseButtonVisible) = -1, "True reads back as -1"
Check VarType(f.CloseButtonVisible) = vbBoolean, "a Boolean property is a Boolean"
f.HelpButtonEnabled = -1
Check f.HelpButtonEnabled = True, "-1 is True"
f.HelpButtonEnabled = 0
Check f.HelpButtonEnabled = False, "0 is False"
f.ShowInTaskBar = 1
Check CInt(f.ShowInTaskBar) = -1, "any non-zero number is stored as True"
Check CInt(f.CloseButtonVisible) = -1 And CInt(f.MaxButtonVisible) = 0, "properties do not share storage"

f.Transparency = 150 : Check f.Transparency = 99, "Transparency 150 reads back 99"
f.Transparency = 99 : Check f.Transparency = 99, "Transparency 99 reads back 99"
f.Transparency = 0 : Check f.Transparency = 0, "Transparency 0 reads back 0"
f.Transparency = 42
On Error Resume Next
f.Transparency = 300
Check Err.Number <> 0, "Transparency 300 is refused by the conversion to a byte"
Err.Clear
On Error GoTo 0
Check f.Transparency = 42, "a refused Transparency leaves the value"
Check VarType(f.Transparency) = vbByte, "Transparency is a byte"

f.ColorStyle = 7 : Check f.ColorStyle = 7, "ColorStyle 7 is stored unchecked"
f.BorderStyle = 5 : Check f.BorderStyle = 5, "BorderStyle round trip"

Dim caption : caption = "Gr" & Chr(246) & Chr(223) & "e"
f.Caption = caption
Check f.Caption = caption, "Caption keeps umlauts and sharp s"

Check f.Icon Is Nothing, "a new control has no icon"
Set f.Icon = Nothing
Check f.Icon Is Nothing, "Icon set to Nothing"

' Two controls do not share state.
Dim g : Set g = CreateObject("NimbraForm.xpForm")
Check g.ColorStyle = 0 And g.Caption = "", "a second control starts fresh"

Dim o
On Error Resume Next
Set o = CreateObject("NimbraForm.clsFormSubclass")
Check Err.Number = 429, "clsFormSubclass is not creatable (error " & Err.Number & ")"
Err.Clear
Set o = CreateObject("NimbraForm.NoSuchClass")
Check Err.Number = 429, "an unknown class fails cleanly"
Err.Clear
f.NoSuchProperty = 1
Check Err.Number = 438, "an unknown member is error 438, got " & Err.Number
On Error GoTo 0

WScript.Echo "xpForm.vbs: " & passed & " passed, " & failed & " failed"
WScript.Quit failed
