VERSION 5.00
Begin VB.MDIForm Hauptfenster 
   BackColor       =   &H8000000C&
   Caption         =   "Nimbra MDI"
   ClientHeight    =   7200
   ClientLeft      =   1500
   ClientTop       =   1200
   ClientWidth     =   10800
   LinkTopic       =   "MDIForm1"
End
Attribute VB_Name = "Hauptfenster"
Attribute VB_GlobalNameSpace = False
Attribute VB_Creatable = False
Attribute VB_PredeclaredId = True
Attribute VB_Exposed = False
