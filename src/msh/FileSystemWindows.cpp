// Tolmar MSH Viewer - the file-system calls on Windows.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "FileSystem.h"

#include <windows.h>
#include <shellapi.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

namespace FileSystem
{
    namespace
    {
        std::wstring path (const juce::File& file)   { return file.getFullPathName().toWideCharPointer(); }
        juce::Result crtFailure()                    { return juce::Result::fail (std::strerror (errno)); }

        // What Windows says of its last failure, in its words.
        juce::Result windowsFailure()
        {
            wchar_t* text = nullptr;
            const auto code = ::GetLastError();
            ::FormatMessageW (FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                              nullptr, code, 0, (LPWSTR) &text, 0, nullptr);
            const auto message = text != nullptr ? juce::String (text).trim() : "error " + juce::String ((int) code);
            ::LocalFree (text);
            return juce::Result::fail (message);
        }
    }

    juce::Result lookUp (const juce::File& file, bool, Info& info)
    {
        // Links are followed on Windows whatever is asked: a reparse point is what it leads to.
        info = {};
        const auto handle = ::CreateFileW (path (file).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);

        if (handle == INVALID_HANDLE_VALUE)
        {
            const auto code = ::GetLastError();
            return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND ? juce::Result::ok() : windowsFailure();
        }

        BY_HANDLE_FILE_INFORMATION facts {};
        const auto known = ::GetFileInformationByHandle (handle, &facts);
        const auto type = ::GetFileType (handle);
        ::CloseHandle (handle);

        if (! known)
            return windowsFailure();

        info.kind = (facts.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? Info::Kind::directory
                  : type == FILE_TYPE_DISK ? Info::Kind::regular : Info::Kind::other;
        info.device = facts.dwVolumeSerialNumber;
        info.identity = ((juce::uint64) facts.nFileIndexHigh << 32) | facts.nFileIndexLow;
        info.permissions = 0666;
        info.size = (juce::int64) (((juce::uint64) facts.nFileSizeHigh << 32) | facts.nFileSizeLow);
        return juce::Result::ok();
    }

    juce::Result readLink (const juce::File&, juce::String&)
    {
        return juce::Result::fail ("not a symbolic link");
    }

    juce::Result openToRead (const juce::File& file, int& handle, juce::int64& size)
    {
        Info info;

        if (const auto looked = lookUp (file, true, info); looked.failed())
            return looked;

        if (info.kind == Info::Kind::directory)
            return juce::Result::fail ("is a directory");

        if (info.kind != Info::Kind::regular)
            return juce::Result::fail ("is not a regular file");

        handle = ::_wopen (path (file).c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);

        if (handle < 0)
            return crtFailure();

        size = info.size;
        return juce::Result::ok();
    }

    juce::int64 read (int handle, void* buffer, size_t size)
    {
        return ::_read (handle, buffer, (unsigned int) std::min<size_t> (size, 1u << 30));
    }

    bool seek (int handle, juce::int64 position)
    {
        return ::_lseeki64 (handle, position, SEEK_SET) == position;
    }

    juce::Result createNew (const juce::File& file, juce::uint32, int& handle)
    {
        handle = ::_wopen (path (file).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
        return handle < 0 ? crtFailure() : juce::Result::ok();
    }

    juce::Result writeAll (int handle, const void* data, size_t size)
    {
        const auto* bytes = static_cast<const char*> (data);

        while (size > 0)
        {
            const auto done = ::_write (handle, bytes, (unsigned int) std::min<size_t> (size, 1u << 30));

            if (done <= 0)
                return done < 0 ? crtFailure() : juce::Result::fail ("nothing could be written");

            bytes += done;
            size -= (size_t) done;
        }

        return juce::Result::ok();
    }

    juce::Result close (int handle)
    {
        return ::_close (handle) != 0 ? crtFailure() : juce::Result::ok();
    }

    juce::Result replace (const juce::File& from, const juce::File& to)
    {
        // Windows' rename will not replace a file; this does, in one step, and never a folder.
        return ::MoveFileExW (path (from).c_str(), path (to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
                   ? juce::Result::ok() : windowsFailure();
    }

    juce::Result hardLink (const juce::File& existing, const juce::File& newName)
    {
        return ::CreateHardLinkW (path (newName).c_str(), path (existing).c_str(), nullptr) ? juce::Result::ok() : windowsFailure();
    }

    bool remove (const juce::File& file)
    {
        return ::DeleteFileW (path (file).c_str()) != 0;
    }

    juce::String comparablePath (const juce::File& file)
    {
        return file.getFullPathName().toLowerCase();
    }

    juce::StringArray arguments (int, char*[])
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

    void keepOwner (int, const Info&)
    {
        // A new file takes its folder's permissions on Windows; there is no owner to carry over here.
    }

    juce::int64 lockFolder (const juce::File& folder, bool exclusive)
    {
        // A hidden lock file that goes with its last handle (a folder itself cannot be locked here).
        const auto handle = ::CreateFileW (path (folder.getChildFile (".tolmar-msh.lock")).c_str(), GENERIC_READ | GENERIC_WRITE,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                           FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);

        if (handle == INVALID_HANDLE_VALUE)
            return -1;

        OVERLAPPED whole {};

        if (! ::LockFileEx (handle, exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0, 0, 1, 0, &whole))
        {
            ::CloseHandle (handle);
            return -1;
        }

        return (juce::int64) (intptr_t) handle;
    }

    void unlockFolder (juce::int64 lock)
    {
        if (lock < 0)
            return;

        const auto handle = (HANDLE) (intptr_t) lock;
        OVERLAPPED whole {};
        ::UnlockFileEx (handle, 0, 1, 0, &whole);
        ::CloseHandle (handle);
    }

    namespace
    {
        void (*interruptionCleanup)() = nullptr;

        BOOL WINAPI onControl (DWORD event)
        {
            // Ctrl-C, Ctrl-Break and the console closing, as SIGINT, SIGBREAK and SIGHUP.
            const auto number = event == CTRL_C_EVENT ? 2 : event == CTRL_BREAK_EVENT ? 21 : event == CTRL_CLOSE_EVENT ? 1 : 0;

            if (number == 0)
                return FALSE;

            if (interruptionCleanup != nullptr)
                interruptionCleanup();

            ::ExitProcess ((UINT) (128 + number));
            return TRUE;
        }
    }

    void onInterruption (void (*cleanup)())
    {
        interruptionCleanup = cleanup;
        ::SetConsoleCtrlHandler (onControl, TRUE);
    }

    void removeFromHandler (const char* file) noexcept
    {
        wchar_t wide[MAX_PATH * 4];

        if (::MultiByteToWideChar (CP_UTF8, 0, file, -1, wide, (int) std::size (wide)) > 0)
            ::DeleteFileW (wide);
    }
}
