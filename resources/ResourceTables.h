#pragma once

#include "framework/ResourceModule.h"

// The program's resources as the framework takes them: the string table, and the menu,
// accelerators, toolbar and icon of the main frame (resource 128) with the toolbar
// button images.
const CResourceModule &ProgramResources();
