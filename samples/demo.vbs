' What a script client sees of NimbraForm: the three creatable classes, their
' properties late bound, and the silent switch.
Option Explicit
Dim f : Set f = CreateObject("NimbraForm.xpForm")
f.ColorStyle = 1
f.Caption = "Kundendaten"
f.HelpButtonVisible = True
f.Transparency = 150
WScript.Echo "xpForm:    ColorStyle=" & f.ColorStyle & "  Caption=" & f.Caption & _
    "  HelpButtonVisible=" & CInt(f.HelpButtonVisible) & "  Transparency=" & f.Transparency & " (150 set, 99 kept)"

Dim s : Set s = CreateObject("NimbraForm.SpEv")
WScript.Echo "SpEv:      ActiveXPTheme=" & s.ActiveXPTheme & "  MouseButtonPressed=" & s.MouseButtonPressed & _
    "  FileExists(C:\windows)=" & CInt(s.FileExists("C:\windows"))

Dim e : Set e = CreateObject("NimbraForm.Error")
e.SilentError = True
WScript.Echo "Error:     SilentError=" & CInt(e.SilentError) & " (reports are skipped while it is on)"
Dim text : text = s.TextRead("C:\no\such\file.txt")
WScript.Echo "           TextRead of a missing file returned " & Len(text) & " characters, nothing reported"
e.SilentError = False

' About shows the about window modally: the script waits here until it is clicked away.
WScript.Echo "About:     the about window is shown until it is clicked away"
f.About
WScript.Echo "           About returned"
