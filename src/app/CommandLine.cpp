// Tolmar MSH Viewer - the command line as the one file name it is.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "CommandLine.h"

juce::String fileNameFromCommandLine (const juce::StringArray& arguments, const juce::File& workingDirectory)
{
    const auto text = arguments.joinIntoString (" ").trim();

    if (text.isEmpty())
        return {};

    return workingDirectory.getChildFile (text).getFullPathName();
}
