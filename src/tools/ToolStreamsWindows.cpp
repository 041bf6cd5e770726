// Tolmar MSH Viewer - a program's arguments and standard streams on Windows.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "ToolStreams.h"

#include <windows.h>
#include <shellapi.h>

#include <fcntl.h>
#include <io.h>

#include <iostream>
#include <streambuf>
#include <string>

namespace
{
    // Text for a console goes to it as UTF-16 through WriteConsoleW, which shows every character whatever
    // code page the console is set to; files and pipes get the UTF-8 bytes as they are.
    class ConsoleBuffer final : public std::streambuf
    {
    public:
        explicit ConsoleBuffer (HANDLE consoleToUse) : console (consoleToUse) {}

    protected:
        int_type overflow (int_type c) override
        {
            if (traits_type::eq_int_type (c, traits_type::eof()))
                return traits_type::not_eof (c);

            pending.push_back (traits_type::to_char_type (c));
            return pending.size() < 65536 || sync() == 0 ? c : traits_type::eof();
        }

        std::streamsize xsputn (const char* text, std::streamsize size) override
        {
            pending.append (text, (size_t) size);
            return pending.size() < 65536 || sync() == 0 ? size : 0;
        }

        int sync() override
        {
            const auto whole = wholeCharacters();

            if (whole == 0)
                return 0;

            // Bytes that are no UTF-8 show as U+FFFD, as a console can show nothing truer for them.
            std::wstring wide ((size_t) ::MultiByteToWideChar (CP_UTF8, 0, pending.data(), (int) whole, nullptr, 0), L'\0');
            ::MultiByteToWideChar (CP_UTF8, 0, pending.data(), (int) whole, wide.data(), (int) wide.size());
            pending.erase (0, whole);

            for (size_t done = 0; done < wide.size();)
            {
                DWORD written = 0;

                if (! ::WriteConsoleW (console, wide.data() + done, (DWORD) std::min<size_t> (wide.size() - done, 16384), &written, nullptr) || written == 0)
                    return -1;

                done += written;
            }

            return 0;
        }

    private:
        // The bytes up to the last whole UTF-8 character: one cut by a write waits for its end.
        size_t wholeCharacters() const
        {
            auto start = pending.size();

            while (start > 0 && pending.size() - start < 3 && (static_cast<unsigned char> (pending[start - 1]) & 0xc0) == 0x80)
                --start;

            if (start == 0)
                return pending.size();

            const auto lead = static_cast<unsigned char> (pending[start - 1]);
            const size_t length = lead >= 0xf0 ? 4 : lead >= 0xe0 ? 3 : lead >= 0xc0 ? 2 : 1;
            return pending.size() - (start - 1) < length ? start - 1 : pending.size();
        }

        HANDLE console;
        std::string pending;
    };

    // Standard output or error, written through WriteConsoleW where it is a console.
    void writeToConsoleIfThere (DWORD which, std::ostream& stream)
    {
        const auto handle = ::GetStdHandle (which);
        DWORD mode = 0;

        if (handle != INVALID_HANDLE_VALUE && handle != nullptr && ::GetConsoleMode (handle, &mode))
            stream.rdbuf (new ConsoleBuffer (handle)); // for the program's life: the stream flushes into it at exit
    }

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
    writeToConsoleIfThere (STD_OUTPUT_HANDLE, std::cout);
    writeToConsoleIfThere (STD_ERROR_HANDLE, std::cerr);
    return outputOpen;
}

