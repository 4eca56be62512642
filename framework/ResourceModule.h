#pragma once

#include "framework/Geometry.h"
#include "platform/WinTypes.h"

#include <QIcon>
#include <QKeyCombination>

#include <span>

// The resources of the program the framework serves: its string table, the menus,
// accelerators and toolbar of its main frame, and its icons. The program hands them
// over (AfxSetResourceModule) before it makes its first window; until then, and for
// anything the program does not provide, lookups find nothing.

// One string-table entry; command entries read "prompt\ntooltip".
struct StringResource
{
    UINT nID;
    const char *text;
};

// A menu item; an id of 0 is a separator. The text after a tab is the shortcut shown.
struct MenuItemResource
{
    UINT nID;
    const char *text;
};

struct MenuResource
{
    const char *title;
    std::span<const MenuItemResource> items;
};

struct AcceleratorResource
{
    QKeyCombination key;
    UINT nID;
};

struct CResourceModule
{
    // Sorted by id, so a lookup is a binary search.
    std::span<const StringResource> strings = {};
    std::span<const MenuResource> menus = {};
    std::span<const AcceleratorResource> accelerators = {};
    // Button command ids in order; 0 marks a separator.
    std::span<const UINT> toolBar = {};
    // The icon of a resource id (the frame's, or a command's toolbar image), or null.
    QIcon (*loadIcon)(UINT nID) = nullptr;
};

// The module stays the caller's and must outlive every window; null withdraws it.
void AfxSetResourceModule(const CResourceModule *pModule);
const CResourceModule &AfxGetResourceModule();

// The string-table entry nID, or an empty string when there is none.
CString AfxLoadString(UINT nID);
// The icon of resource id nID, or a null icon.
QIcon AfxLoadIcon(UINT nID);
