' SpEv's files, lists and queries as a host application calls them, and its
' failures as the test's recording error handler receives them.
Dim fso : Set fso = CreateObject("Scripting.FileSystemObject")

' A list control as SpEv sees one: ListCount, List(index), AddItem. It
' refuses to give or take the item Refuse, as a list control may.
Class TestList
    Public Refuse
    Private items
    Private Sub Class_Initialize()
        items = Array()
        Refuse = "(keins)"
    End Sub
    Public Property Get ListCount()
        ListCount = UBound(items) + 1
    End Property
    Public Property Get List(i)
        If items(i) = Refuse Then Err.Raise 5
        List = items(i)
    End Property
    Public Sub AddItem(text)
        If text = Refuse Then Err.Raise 5
        ReDim Preserve items(UBound(items) + 1)
        items(UBound(items)) = text
    End Sub
End Class

' Arguments: the scratch folder, and the file the recording handler writes.
Dim dir : dir = WScript.Arguments(0)
Dim log : log = WScript.Arguments(1)

' The reports so far, one line each, fields separated by tabs.
Function Reports()
    Reports = Array()
    If Not fso.FileExists(log) Then Exit Function
    Dim text : text = fso.OpenTextFile(log, 1).ReadAll
    If Right(text, 1) = vbLf Then text = Left(text, Len(text) - 1)
    Reports = Split(text, vbLf)
End Function

Dim s : Set s = CreateObject("NimbraForm.SpEv")
Dim file : file = dir & "\spev-list.txt"

s.TextSave file, "abc"
s.TextSave file, "x" & vbCrLf & "Gr" & Chr(252) & Chr(223) & "e"
Check s.TextRead(file) = "x" & vbCrLf & "Gr" & Chr(252) & Chr(223) & "e" & vbCrLf, _
    "TextSave truncates and adds CR LF; line breaks and umlauts kept"

Dim l : Set l = New TestList
l.AddItem "eins"
l.AddItem "zwei"
s.ListSave l, file, "<", ">"
Check s.TextRead(file) = "<eins>" & vbCrLf & "<zwei>" & vbCrLf, "ListSave with before and after texts"
s.ListSave l, file
Check s.TextRead(file) = "eins" & vbCrLf & "zwei" & vbCrLf, "omitted optional texts count as empty"

s.TextSave file, "a" & vbCrLf & vbCrLf & "c"
Dim back : Set back = New TestList
back.AddItem "vorher"
s.ListRead back, file
s.ListSave back, file
Check s.TextRead(file) = "vorher" & vbCrLf & "a" & vbCrLf & vbCrLf & "c" & vbCrLf, _
    "ListRead appends every line in file order, empty ones too"
s.ListSave New TestList, file
Check fso.GetFile(file).Size = 0, "an empty list gives an empty file"

Check s.FileExists(file) = True, "FileExists of a file"
Check s.FileExists(dir & "\spev-*.txt") = True, "FileExists with a matching wildcard"
Check s.FileExists(dir & "\nothing-*.zzz") = False, "FileExists without a match"
Check s.ActiveXPTheme = 4, "no XP colour scheme is active in the test prefix: styleClassic"
s.PlayMusic dir & "\no-such-sound.wav"
Check UBound(Reports()) = -1, "PlayMusic of a missing file reports nothing"

' A failure returns nothing and is reported once, with the runtime's number.
Check s.TextRead(dir & "\no-such-file.txt") = "", "TextRead of a missing file returns nothing"
Check s.TextRead(dir & "\missing\file.txt") = "", "TextRead of a missing folder returns nothing"
s.ListSave l, dir & "\missing\list.txt"
Dim r : r = Reports()
Check UBound(r) = 2, "one report for each failure"
Dim fields : fields = Split(r(0), vbTab)
Check fields(3) = "53" And fields(5) = "TextRead", "a missing file is error 53, got " & fields(3)
Check fields(7) & " " & fields(8) = "Klassenmodul SpEv", "module kind and name"
Check fields(1) = "NimbraForm", "the project is the library file's name, got " & fields(1)
Check InStr(r(1), vbTab & "76" & vbTab) > 0, "a missing folder is error 76"
Check InStr(r(2), vbTab & "ListSave" & vbTab) > 0, "ListSave to a missing folder is reported"

' With the silent switch on, each item is a statement of its own: the one
' the list refuses is skipped, the others still go.
Dim silent : Set silent = CreateObject("NimbraForm.Error")
silent.SilentError = True
l.Refuse = "eins"
s.ListSave l, file
Check s.TextRead(file) = "zwei" & vbCrLf, "ListSave skips only the item that fails"
back.Refuse = "b"
s.TextSave file, "a" & vbCrLf & "b" & vbCrLf & "c"
s.ListRead back, file
Check back.ListCount = 6, "ListRead skips only the line the list refuses (" & back.ListCount & " items)"
Check UBound(Reports()) = 2, "nothing is reported while the switch is on"
silent.SilentError = False
s.TextRead dir & "\no-such-file.txt"
Check UBound(Reports()) = 3, "switch off again: reported"

Done
