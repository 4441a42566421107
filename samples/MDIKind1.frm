VERSION 5.00
Object = "{1A11BA44-3123-4488-94E8-4A011C1E99A6}#1.1#0"; "NimbraForm.ocx"
Begin VB.Form MDIKind1 
   Caption         =   "Kunden (MDI)"
   ClientHeight    =   2700
   ClientLeft      =   600
   ClientTop       =   900
   ClientWidth     =   4200
   LinkTopic       =   "MDIKind1"
   MDIChild        =   -1  'True
   ScaleHeight     =   2700
   ScaleWidth      =   4200
   Begin NimbraForm.xpForm xpForm1 
      Left            =   0
      Top             =   0
      _ExtentX        =   847
      _ExtentY        =   847
      ColorStyle      =   0
      Icon            =   "Blau.frx":0000
      Caption         =   "Kunden (MDI)"
   End
End
Attribute VB_Name = "MDIKind1"
Attribute VB_GlobalNameSpace = False
Attribute VB_Creatable = False
Attribute VB_PredeclaredId = True
Attribute VB_Exposed = False
