// Tolmar MSH Viewer - the command line as the one file name it is.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include <juce_core/juce_core.h>

// The whole text after the program's name is one file name: the raw arguments joined with single spaces
// (a file manager passes "my mesh.msh" as one argument, a shell user may type it unquoted), trimmed, and
// made absolute against workingDirectory so a later change of directory cannot lose it. Empty stays empty.
juce::String fileNameFromCommandLine (const juce::StringArray& arguments, const juce::File& workingDirectory);

// The same from Windows' text after the program's name, less one pair of double quotes around it all,
// which Windows' file managers add and no Windows file name can hold.
juce::String fileNameFromWindowsCommandLine (const juce::String& text, const juce::File& workingDirectory);
