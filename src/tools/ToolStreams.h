// Tolmar MSH Viewer - a program's arguments and standard streams, as each system hands them over.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include <juce_core/juce_core.h>

// The arguments as typed, as text: on Windows from the wide command line, since argv is in the local code
// page there.
juce::StringArray programArguments (int argc, char* argv[]);

// Opens the null device on any of the three standard streams that is closed, so no file the program opens
// later takes its number (and the program's messages), and has standard output write its bytes as they
// are (no line ends added on Windows), and a Windows console get characters rather than bytes; false when
// standard output was closed.
bool prepareStandardStreams();
