// Tolmar MSH Viewer - the command line: "--watch", then the one file name the rest is.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include <juce_core/juce_core.h>

#include <optional>

struct ViewerArguments
{
    juce::String fileName;      // absolute, or empty for none
    bool watch = false;         // reload the file whenever it changes on disk
};

// A first argument "--watch" asks to watch. The whole text after it is one file name: the raw arguments
// joined with single spaces (a file manager passes "my mesh.msh" as one argument, a shell user may type it
// unquoted), trimmed, and made absolute against workingDirectory so a later change of directory cannot
// lose it. Empty stays empty.
ViewerArguments viewerArguments (juce::StringArray arguments, const juce::File& workingDirectory);

// What the viewer prints, without opening a window, for "--help" or "--version" as its one argument;
// nothing otherwise.
std::optional<juce::String> viewerAnswer (const juce::StringArray& arguments);

// The same from Windows' text after the program's name, less one pair of double quotes around the file
// name, which Windows' file managers add and no Windows file name can hold.
ViewerArguments viewerArgumentsFromWindows (const juce::String& text, const juce::File& workingDirectory);
