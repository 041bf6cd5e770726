// Tolmar MSH Viewer - a program's arguments and standard streams on Windows.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "ToolStreams.h"

#include <windows.h>
#include <shellapi.h>

#include <fcntl.h>
#include <io.h>

juce::StringArray programArguments (int, char*[])
{
    juce::StringArray list;
    int count = 0;

    if (auto** wide = ::CommandLineToArgvW (::GetCommandLineW(), &count))
    {
        for (int i = 0; i < count; ++i)
            list.add (juce::String (wide[i]));

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

