#pragma once

#include "platform/WinTypes.h"

#include <QKeyCombination>

#include <span>

// The menu, accelerator and toolbar resources of the main frame (resource 128), kept as
// data so the frame builds its widgets from them and tests can compare against them.

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

std::span<const MenuResource> MainMenuResource();
std::span<const AcceleratorResource> MainAcceleratorResource();
// Button command ids in order; 0 marks a separator.
std::span<const UINT> MainToolBarResource();
// Status bar indicators after the message pane.
std::span<const UINT> MainIndicatorResource();
