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

juce::String fileNameFromWindowsCommandLine (const juce::String& text, const juce::File& workingDirectory)
{
    auto name = text.trim();

    if (name.length() >= 2 && name.startsWithChar ('"') && name.endsWithChar ('"'))
        name = name.substring (1, name.length() - 1);

    return fileNameFromCommandLine ({ name }, workingDirectory);
}
