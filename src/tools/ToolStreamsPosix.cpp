// Tolmar MSH Viewer - a program's arguments and standard streams on POSIX systems.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "ToolStreams.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

juce::StringArray programArguments (int argc, char* argv[])
{
    juce::StringArray list;

    for (int i = 0; i < argc; ++i)
        list.add (juce::String::fromUTF8 (argv[i]));

    return list;
}

bool prepareStandardStreams()
{
    bool outputOpen = true;

    for (const int stream : { 0, 1, 2 })
    {
        if (::fcntl (stream, F_GETFD) != -1 || errno != EBADF)
            continue;

        outputOpen = outputOpen && stream != 1;
        const auto opened = ::open ("/dev/null", stream == 0 ? O_RDONLY : O_WRONLY);

        if (opened != stream && opened >= 0) // the lowest free number is taken: the closed one
            ::close (opened);
    }

    return outputOpen;
}
