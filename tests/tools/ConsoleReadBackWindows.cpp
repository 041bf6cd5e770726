// Tolmar MSH Viewer - runs a program in a console of its own, set to code page 850 as a Western European
// cmd is, and writes what the console then shows, as UTF-8, to a file. Text a program wrote as UTF-8 bytes
// shows there as other characters; text written through WriteConsoleW shows as it was meant.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
//
//   console_read_back.exe SHOWN.txt PROGRAM [ARGUMENTS...]
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

int main()
{
    int count = 0;
    auto** arguments = ::CommandLineToArgvW (::GetCommandLineW(), &count);

    if (arguments == nullptr || count < 3)
        return 2;

    // The rest of the command line, as typed, for the program.
    std::wstring command;
    for (int i = 2; i < count; ++i)
        command += (i > 2 ? L" \"" : L"\"") + std::wstring (arguments[i]) + L"\"";

    ::FreeConsole();

    if (! ::AllocConsole() || ! ::SetConsoleOutputCP (850))
        return 3;

    STARTUPINFOW startup {};
    startup.cb = sizeof (startup);
    PROCESS_INFORMATION process {};

    if (! ::CreateProcessW (nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return 4;

    ::WaitForSingleObject (process.hProcess, INFINITE);
    DWORD status = 0;
    ::GetExitCodeProcess (process.hProcess, &status);

    // Every line up to the cursor's, without the spaces that fill it.
    const auto screen = ::CreateFileW (L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    CONSOLE_SCREEN_BUFFER_INFO info {};

    if (screen == INVALID_HANDLE_VALUE || ! ::GetConsoleScreenBufferInfo (screen, &info))
        return 5;

    std::wstring shown;
    std::wstring line ((size_t) info.dwSize.X, L' ');

    for (SHORT y = 0; y <= info.dwCursorPosition.Y; ++y)
    {
        DWORD read = 0;
        ::ReadConsoleOutputCharacterW (screen, line.data(), (DWORD) line.size(), COORD { 0, y }, &read);
        shown += line.substr (0, line.find_last_not_of (L' ') + 1) + L"\n";
    }

    std::string bytes ((size_t) ::WideCharToMultiByte (CP_UTF8, 0, shown.data(), (int) shown.size(), nullptr, 0, nullptr, nullptr), '\0');
    ::WideCharToMultiByte (CP_UTF8, 0, shown.data(), (int) shown.size(), bytes.data(), (int) bytes.size(), nullptr, nullptr);

    auto* file = ::_wfopen (arguments[1], L"wb");

    if (file == nullptr || std::fwrite (bytes.data(), 1, bytes.size(), file) != bytes.size() || std::fclose (file) != 0)
        return 6;

    return (int) status;
}
