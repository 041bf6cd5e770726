// Tolmar MSH Viewer - a reader's warning in words, as the tools print it and the viewer's box lists it.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include "MshModel.h"

// "end marker of object "cabin" at byte 312 reads 0x00000007, expected 0x…", or an import's own message.
juce::String mshWarningText (const MshWarning& warning);
