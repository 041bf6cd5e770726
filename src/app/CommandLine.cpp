// Tolmar MSH Viewer - the command line: "--watch", then the one file name the rest is.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "CommandLine.h"

namespace
{
    const juce::String watchOption = "--watch";
}

ViewerArguments viewerArguments (juce::StringArray arguments, const juce::File& workingDirectory)
{
    ViewerArguments parsed;
    parsed.watch = arguments.size() > 0 && arguments[0] == watchOption;

    if (parsed.watch)
        arguments.remove (0);

    if (const auto text = arguments.joinIntoString (" ").trim(); text.isNotEmpty())
        parsed.fileName = workingDirectory.getChildFile (text).getFullPathName();

    return parsed;
}

ViewerArguments viewerArgumentsFromWindows (const juce::String& text, const juce::File& workingDirectory)
{
    auto name = text.trim();
    const auto watch = name == watchOption || name.startsWith (watchOption + " ");

    if (watch)
        name = name.substring (watchOption.length()).trim();

    if (name.length() >= 2 && name.startsWithChar ('"') && name.endsWithChar ('"'))
        name = name.substring (1, name.length() - 1);

    auto parsed = viewerArguments ({ name }, workingDirectory);
    parsed.watch = watch;
    return parsed;
}
