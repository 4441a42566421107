// The forms the benchmarks show: the text of a classic form file, the i-th of a
// row of forms side by side, with the control (skinned) or without it (plain).
#pragma once
#include <string>

inline std::string FormText(int i, bool skinned) {
    const int scheme = i % 3;
    std::string text =
        "VERSION 5.00\r\n"
        "Object = \"{1A11BA44-3123-4488-94E8-4A011C1E99A6}#1.1#0\"; \"NimbraForm.ocx\"\r\n"
        "Begin VB.Form Form" + std::to_string(i) + "\r\n"
        "   Caption         =   \"Formular " + std::to_string(i) + "\"\r\n"
        "   ClientHeight    =   3000\r\n"
        "   ClientLeft      =   " + std::to_string(600 + 900 * i) + "\r\n"
        "   ClientTop       =   " + std::to_string(900 + 600 * i) + "\r\n"
        "   ClientWidth     =   4500\r\n"
        "   StartUpPosition =   0\r\n";
    if (skinned)
        text += "   Begin NimbraForm.xpForm xpForm1\r\n"
                "      Left            =   120\r\n"
                "      Top             =   120\r\n"
                "      _ExtentX        =   847\r\n"
                "      _ExtentY        =   847\r\n"
                "      ColorStyle      =   " + std::to_string(scheme) + "\r\n"
                "      Caption         =   \"Formular " + std::to_string(i) + "\"\r\n"
                "   End\r\n";
    return text + "End\r\nAttribute VB_Name = \"Form" + std::to_string(i) + "\"\r\n";
}
