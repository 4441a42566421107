VERSION 5.00
Object = "{1A11BA44-3123-4488-94E8-4A011C1E99A6}#1.1#0"; "NimbraForm.ocx"
Begin VB.Form Einfach 
   Caption         =   "Einfach"
   ClientHeight    =   2400
   ClientLeft      =   600
   ClientTop       =   900
   ClientWidth     =   3600
   LinkTopic       =   "Einfach"
   ScaleHeight     =   2400
   ScaleWidth      =   3600
   StartUpPosition =   3  'Windows-Standard
   Begin NimbraForm.xpForm xpForm1 
      Left            =   0
      Top             =   0
      _ExtentX        =   847
      _ExtentY        =   847
      Caption         =   "Einfach"
   End
End
Attribute VB_Name = "Einfach"
Attribute VB_GlobalNameSpace = False
Attribute VB_Creatable = False
Attribute VB_PredeclaredId = True
Attribute VB_Exposed = False
