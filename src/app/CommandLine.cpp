// Tolmar MSH Viewer - the command line: "--watch", then the one file name the rest is.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "CommandLine.h"
#include "msh/Version.h"

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

std::optional<juce::String> viewerAnswer (const juce::StringArray& arguments)
{
    if (arguments.size() != 1)
        return std::nullopt;

    if (arguments[0] == "--version")
        return juce::String ("tolmar-msh-viewer ") + mshVersion + "\n";

    if (arguments[0] == "--help")
        return juce::String ("usage: tolmar-msh-viewer [--watch] [FILE.msh]\n"
                             "Opens the viewer, with the file when one is given (the rest of the line is its name).\n"
                             "  --watch    read the file again whenever it changes on disk\n"
                             "  --help     this text\n"
                             "  --version  the version\n"
                             "In the window, H or F1 lists the keys and mouse actions.\n");

    return std::nullopt;
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
