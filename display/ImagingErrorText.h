#pragma once

#include "framework/Geometry.h"

#include <cstdint>

// The user-facing text of an imaging error code; "Error #%u!" for codes without one.
CString ImagingErrorText(std::uint32_t code);
