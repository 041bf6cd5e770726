// Tolmar MSH Viewer - a program's arguments and standard streams on Windows.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "ToolStreams.h"

#include <windows.h>
#include <shellapi.h>

#include <fcntl.h>
#include <io.h>

namespace
{
    // The files a wildcard names, in name order, with the folder part as typed; none when nothing matches.
    juce::StringArray filesMatching (const juce::String& pattern)
    {
        juce::StringArray names;
        WIN32_FIND_DATAW found {};
        const auto folder = pattern.substring (0, juce::jmax (pattern.lastIndexOfChar ('\\'), pattern.lastIndexOfChar ('/')) + 1);
        const auto search = ::FindFirstFileW (pattern.toWideCharPointer(), &found);

        if (search == INVALID_HANDLE_VALUE)
            return names;

        do
        {
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
                names.add (folder + juce::String (found.cFileName));
        }
        while (::FindNextFileW (search, &found));

        ::FindClose (search);
        names.sortNatural();
        return names;
    }
}

juce::StringArray programArguments (int, char*[])
{
    juce::StringArray list;
    int count = 0;

    if (auto** wide = ::CommandLineToArgvW (::GetCommandLineW(), &count))
    {
        // cmd hands "*.msh" over as it is: the program expands it, as Windows programs do. A wildcard that
        // names no file stays as typed, so the error names it.
        for (int i = 0; i < count; ++i)
        {
            const juce::String argument (wide[i]);
            const auto matching = i > 0 && argument.containsAnyOf ("*?") ? filesMatching (argument) : juce::StringArray();
            list.addArray (matching.isEmpty() ? juce::StringArray (argument) : matching);
        }

        ::LocalFree (wide);
    }

    return list;
}

bool prepareStandardStreams()
{
    bool outputOpen = true;

    for (const int stream : { 0, 1, 2 })
    {
        // -1: not open; -2: open but tied to no stream (a GUI program started without a console).
        if (const auto handle = ::_get_osfhandle (stream); handle != -1 && handle != -2)
            continue;

        outputOpen = outputOpen && stream != 1;
        const auto opened = ::_open ("NUL", stream == 0 ? _O_RDONLY : _O_WRONLY);

        if (opened >= 0 && opened != stream)
        {
            ::_dup2 (opened, stream);
            ::_close (opened);
        }
    }

    ::_setmode (1, _O_BINARY); // the same bytes as on every other system, not \r\n for \n
    return outputOpen;
}

