VERSION 5.00
Object = "{1A11BA44-3123-4488-94E8-4A011C1E99A6}#1.1#0"; "NimbraForm.ocx"
Begin VB.Form Kunden 
   BorderStyle     =   0  'Kein
   Caption         =   "Kundendaten ""Müller"""
   ClientHeight    =   3195
   ClientLeft      =   60
   ClientTop       =   345
   ClientWidth     =   4680
   Icon            =   "Kunden.frx":0000
   LinkTopic       =   "Kunden"
   ScaleHeight     =   3195
   ScaleWidth      =   4680
   StartUpPosition =   3  'Windows-Standard
   WindowState     =   0  'Normal
   Begin NimbraForm.xpForm xpForm1 
      Left            =   120
      Top             =   120
      _ExtentX        =   847
      _ExtentY        =   847
      ColorStyle      =   1
      HelpButtonVisible=   -1  'True
      Caption         =   "Kundendaten – Übersicht"
      Transparency    =   200
   End
   Begin VB.CommandButton Command1 
      BackColor       =   &H8000000F&
      Caption         =   "Schließen"
      BeginProperty Font 
         Name            =   "MS Sans Serif"
         Size            =   8.25
         Charset         =   0
         Weight          =   700
         Underline       =   0   'False
         Italic          =   0   'False
         Strikethrough   =   0   'False
      EndProperty
      Height          =   495
      Left            =   1680
      TabIndex        =   0
      Top             =   2280
      Width           =   1215
   End
End
Attribute VB_Name = "Kunden"
Attribute VB_GlobalNameSpace = False
Attribute VB_Creatable = False
Attribute VB_PredeclaredId = True
Attribute VB_Exposed = False
Option Explicit

Private Sub Command1_Click()
    Unload Me
End Sub
