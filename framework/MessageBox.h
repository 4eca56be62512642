#pragma once

#include "framework/Geometry.h"
#include "platform/WinTypes.h"

#include <functional>

class QFont;

// Buttons
constexpr UINT MB_OK = 0x00;
constexpr UINT MB_OKCANCEL = 0x01;
constexpr UINT MB_YESNO = 0x04;
constexpr UINT MB_TYPEMASK = 0x0F;
// Icons
constexpr UINT MB_ICONSTOP = 0x10;
constexpr UINT MB_ICONQUESTION = 0x20;
constexpr UINT MB_ICONEXCLAMATION = 0x30;
constexpr UINT MB_ICONINFORMATION = 0x40;
constexpr UINT MB_ICONMASK = 0xF0;

// Dialog results
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// A modal message box over the main window, captioned with the application title and
// wide enough for the window manager to show the whole caption. Without an icon in nType,
// question boxes show the question icon and others the warning icon, as the framework
// this stands in for does. Returns the button chosen (IDOK, ...).
int AfxMessageBox(const CString &text, UINT nType = MB_OK, UINT nIDHelp = 0);

// The width a window of `font` needs for window managers to show the whole of `caption`
// in its title bar, which also holds the window's icon and buttons.
int GetCaptionWidth(const QFont &font, const CString &caption);

// Replaces the modal box: receives the text, the caption and nType with its icon filled
// in, and returns the button. An empty hook restores the real box. Returns the previous hook.
using MessageBoxHook = std::function<int(const CString &text, const CString &caption, UINT nType)>;
MessageBoxHook AfxSetMessageBoxHook(MessageBoxHook hook);
