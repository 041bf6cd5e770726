// Tolmar MSH Viewer - the keys of the main window and the files Page Up and Page Down go to.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

enum class ViewerCommand
{
    none, help, frame, home, wireframe, overlay, reload, picture, nextFile, previousFile, zoomIn, zoomOut, open, quit
};

// What a key press asks for; none for every other key.
ViewerCommand viewerCommandFor (const juce::KeyPress& key);

// The .msh file step places after (or, negative, before) current among the .msh files of its folder in
// name order (letter case and numbers as people sort them); none past either end.
juce::File neighbourMeshFile (const juce::File& current, int step);

// The help box: every key and mouse action.
extern const char* const keysHelpTitle;
extern const char* const keysHelpText;
