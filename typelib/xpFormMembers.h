// The control xpForm's properties and events, written once. The type library,
// the control's state, getters and setters, its form-file reading and writing,
// its event relays, the skin's view of its owner and the tests' stand-in owner
// are all made from these two lists, so a new property is one line here plus
// its behaviour.
#pragma once

// X(name, dispid, kind, default, stored, browsable, help), in the order the
// form file is read; the type library lists them by falling DISPID.
//   kind:    Bool, Color (cColorStyle), Border (cFormBorderStyle), Byte, Picture, Text
//   default: what an empty form file gives (Booleans 1 = True); Picture and
//            Text default to the host form's own icon and caption
//   stored:  Early - read and written first, each under the control's guard: a
//                    failure is reported and ends the reading
//            Host  - the host form's value is the default (written by hand)
//            Late  - read and written after those; a failure fails the
//                    container's load or save
//            No    - not in the form file
#define NIMBRA_XPFORM_PROPERTIES(X)                                                                     \
    /* the look */                                                                                      \
    X(ColorStyle, 0x68030012, Color, 0, Early, 1, L"bestimmt das Farbschema des Objekts")                \
    /* the caption buttons a window always has */                                                       \
    X(CloseButtonVisible, 0x68030011, Bool, 1, Early, 1, L"bestimmt, ob der Schließen-Button angezeigt wird") \
    X(CloseButtonEnabled, 0x68030010, Bool, 1, Early, 1, L"bestimmt, ob der Schließen-Button aktiviert ist")  \
    X(MaxButtonVisible, 0x6803000F, Bool, 1, Early, 1, L"bestimmt, ob der Maximier-Button angezeigt wird")    \
    X(MaxButtonEnabled, 0x6803000E, Bool, 1, Early, 1, L"bestimmt, ob der Maximier-Button aktiviert ist")     \
    X(MinButtonVisible, 0x6803000D, Bool, 1, Early, 1, L"bestimmt, ob der Minimier-Button angezeigt wird")    \
    X(MinButtonEnabled, 0x6803000C, Bool, 1, Early, 1, L"bestimmt, ob der Minimier-Button aktiviert ist")     \
    /* what the host form has of its own */                                                             \
    X(Icon, 0x68030007, Picture, 0, Host, 1, L"bestimmt das Formularicon")                               \
    X(Caption, 0x68030005, Text, 0, Host, 1, L"bestimmt die Überschrift des Formulars")                  \
    /* the icon, and the buttons a window rarely has */                                                 \
    X(IconShow, 0x68030006, Bool, 1, Late, 1, L"bestimmt, ob das Formularicon angezeigt wird")           \
    X(HelpButtonEnabled, 0x6803000A, Bool, 1, Late, 1, L"bestimmt, ob der Hilfe-Button aktiviert ist")    \
    X(HelpButtonVisible, 0x6803000B, Bool, 0, Late, 1, L"bestimmt, ob der Hilfe-Button angezeigt wird")   \
    X(TrayButtonEnabled, 0x68030008, Bool, 1, Late, 1, nullptr)                                          \
    X(TrayButtonVisible, 0x68030009, Bool, 0, Late, 1, nullptr)                                          \
    /* moving, resizing, the frame */                                                                   \
    X(Moveable, 0x68030004, Bool, 1, Late, 1, L"bestimmt, ob das Formular bewegt werden kann")           \
    X(Resizeable, 0x68030003, Bool, 1, Late, 1, L"bestimmt, ob die Größe des Formulars geändert werden kann") \
    X(BorderStyle, 0x68030001, Border, 2, Late, 1, nullptr)                                              \
    X(Transparency, 0x68030000, Byte, 0, Late, 1, nullptr)                                               \
    X(ShowInTaskBar, 0x68030002, Bool, 0, No, 0, L"bestimmt, ob das Formular in der TaskBar angezeigt wird")

// X(name, dispid, argument, raiser, help)
//   argument: Cancel or CancelMaxRestore (a Boolean the host may set), or None
//   raiser:   Skin - the skin raises it through its owner; Control - only the
//             control has a relay for it, and nothing calls that relay
#define NIMBRA_XPFORM_EVENTS(X)                                                                          \
    X(CloseButtonClicked, 1, Cancel, Skin, L"wird ausgelöst, wenn auf den Schließen-Button geklickt wird")  \
    X(MaxButtonClicked, 2, Cancel, Skin, L"wird ausgelöst, wenn auf den Maximier-Button geklickt wird")     \
    X(MinButtonClicked, 3, Cancel, Skin, L"wird ausgelöst, wenn auf den Minimier-Button geklickt wird")     \
    X(HelpButtonClicked, 4, Cancel, Skin, L"wird ausgelöst, wenn auf den Hilfe-Button geklickt wird")       \
    X(TrayButtonClicked, 5, Cancel, Skin, nullptr)                                                         \
    X(Move, 6, None, Control, L"wird ausgelöst, wenn das Formular bewegt wird")                            \
    X(Resize, 7, None, Skin, L"wird ausgelöst, wenn das Formular in seiner Größe verändert wird")          \
    X(TitleClicked, 8, None, Skin, L"wird ausgelöst, wenn in der Titelleiste geklickt wird")               \
    X(TitleDblClicked, 9, CancelMaxRestore, Skin, L"wird ausgelöst, wenn in der Titelleiste doppelgeklickt wird") \
    X(Activate, 10, None, Control, L"wird ausgelöst, wenn das Formular aktiviert wird")                    \
    X(Deactivate, 11, None, Control, L"wird ausgelöst, wenn das Formular deaktiviert wird")

// Helpers for the lists' users: an event's parameter list, and a part of a
// row that only one value of a column keeps.
#define NIMBRA_EVENT_PARAMS_None()
#define NIMBRA_EVENT_PARAMS_Cancel() VARIANT_BOOL& Cancel
#define NIMBRA_EVENT_PARAMS_CancelMaxRestore() VARIANT_BOOL& CancelMaxRestore
#define NIMBRA_EVENT_PARAMS(argument) NIMBRA_EVENT_PARAMS_##argument()
#define NIMBRA_IF_SKIN_Skin(...) __VA_ARGS__
#define NIMBRA_IF_SKIN_Control(...)
#define NIMBRA_IF_SKIN(raiser, ...) NIMBRA_IF_SKIN_##raiser(__VA_ARGS__)
// Properties with plain values; Icon and Caption have accessors of their own.
#define NIMBRA_IF_PLAIN_Bool(...) __VA_ARGS__
#define NIMBRA_IF_PLAIN_Color(...) __VA_ARGS__
#define NIMBRA_IF_PLAIN_Border(...) __VA_ARGS__
#define NIMBRA_IF_PLAIN_Byte(...) __VA_ARGS__
#define NIMBRA_IF_PLAIN_Picture(...)
#define NIMBRA_IF_PLAIN_Text(...)
#define NIMBRA_IF_PLAIN(kind, ...) NIMBRA_IF_PLAIN_##kind(__VA_ARGS__)
