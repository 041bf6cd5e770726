// Tolmar MSH Viewer - the keys of the main window.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

enum class ViewerCommand
{
    none, help, frame, home, wireframe, overlay, headlight, hulls, hide, showAll, reload, watch, picture, nextFile, previousFile, zoomIn, zoomOut, open, quit
};

// What a key press asks for; none for every other key.
ViewerCommand viewerCommandFor (const juce::KeyPress& key);

// The help box: every key and mouse action.
extern const char* const keysHelpTitle;
extern const char* const keysHelpText;
