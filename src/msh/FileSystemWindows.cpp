// Tolmar MSH Viewer - the file-system calls on Windows.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "FileSystem.h"

#include <windows.h>

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

        // What Windows says of a failure, in its words (the C library's would be another system's).
        Failure windowsFailure (DWORD code)
        {
            wchar_t* text = nullptr;
            ::FormatMessageW (FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                              nullptr, code, 0, (LPWSTR) &text, 0, nullptr);
            const auto message = text != nullptr ? juce::String (text).trim() : "error " + juce::String ((int) code);
            ::LocalFree (text);
            const auto kind = code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND ? Failure::Kind::notFound
                            : code == ERROR_NOT_ENOUGH_MEMORY || code == ERROR_OUTOFMEMORY ? Failure::Kind::noMemory : Failure::Kind::ioFailed;
            return { kind, message };
        }

        Failure windowsFailure()    { return windowsFailure (::GetLastError()); }

        // A C library call's failure, by the Windows error under it where it has one.
        Failure crtFailure()
        {
            if (_doserrno != 0)
                return windowsFailure ((DWORD) _doserrno);

            return { errno == ENOMEM ? Failure::Kind::noMemory : Failure::Kind::ioFailed, std::strerror (errno) };
        }

        // A Windows handle as the C library's file number the callers use.
        Expected<int> numbered (HANDLE handle, int flags)
        {
            if (handle == INVALID_HANDLE_VALUE)
                return windowsFailure();

            const auto number = ::_open_osfhandle ((intptr_t) handle, flags | _O_BINARY);

            if (number < 0)
            {
                ::CloseHandle (handle);
                return Failure { Failure::Kind::ioFailed, std::strerror (errno) };
            }

            return number;
        }
    }

    Expected<Info> lookUp (const juce::File& file, bool)
    {
        // Links are followed on Windows whatever is asked: a reparse point is what it leads to.
        Info info;
        const auto handle = ::CreateFileW (path (file).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);

        if (handle == INVALID_HANDLE_VALUE)
        {
            const auto code = ::GetLastError();
            return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND ? Expected<Info> (info) : Expected<Info> (windowsFailure());
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
        info.readOnly = (facts.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
        info.size = (juce::int64) (((juce::uint64) facts.nFileSizeHigh << 32) | facts.nFileSizeLow);
        info.modified = (juce::int64) (((juce::uint64) facts.ftLastWriteTime.dwHighDateTime << 32) | facts.ftLastWriteTime.dwLowDateTime);
        return info;
    }

    Expected<juce::String> readLink (const juce::File&)
    {
        return Failure { Failure::Kind::ioFailed, "not a symbolic link" };
    }

    Expected<OpenFile> openToRead (const juce::File& file)
    {
        const auto info = lookUp (file, true);

        if (! info)
            return info.failure();

        if (info->kind == Info::Kind::missing)
            return Failure { Failure::Kind::notFound, "no such file" };

        if (info->kind != Info::Kind::regular)
            return Failure { Failure::Kind::notRegular, info->kind == Info::Kind::directory ? "is a directory" : "is not a regular file" };

        const auto handle = numbered (::CreateFileW (path (file).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                                     nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr),
                                      _O_RDONLY);

        if (! handle)
            return handle.failure();

        return OpenFile { *handle, info->size };
    }

    juce::int64 read (int handle, void* buffer, size_t size)
    {
        return ::_read (handle, buffer, (unsigned int) std::min<size_t> (size, 1u << 30));
    }

    Expected<void> seek (int handle, juce::int64 position)
    {
        _doserrno = 0;
        if (::_lseeki64 (handle, position, SEEK_SET) != position)
            return crtFailure();

        return {};
    }

    Expected<int> createNew (const juce::File& file, juce::uint32)
    {
        return numbered (::CreateFileW (path (file).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr),
                         _O_WRONLY);
    }

    Expected<void> writeAll (int handle, const void* data, size_t size)
    {
        _doserrno = 0;
        const auto* bytes = static_cast<const char*> (data);

        while (size > 0)
        {
            const auto done = ::_write (handle, bytes, (unsigned int) std::min<size_t> (size, 1u << 30));

            if (done < 0)
                return crtFailure();

            if (done == 0)
                return Failure { Failure::Kind::ioFailed, "nothing could be written" };

            bytes += done;
            size -= (size_t) done;
        }

        return {};
    }

    Expected<void> close (int handle)
    {
        _doserrno = 0;
        if (::_close (handle) != 0)
            return crtFailure();

        return {};
    }

    Expected<void> replace (const juce::File& from, const juce::File& to)
    {
        // Windows' rename will not replace a file; this does, in one step, and never a folder.
        if (! ::MoveFileExW (path (from).c_str(), path (to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return windowsFailure();

        return {};
    }

    Expected<void> hardLink (const juce::File& existing, const juce::File& newName)
    {
        if (! ::CreateHardLinkW (path (newName).c_str(), path (existing).c_str(), nullptr))
            return windowsFailure();

        return {};
    }

    Expected<void> remove (const juce::File& file)
    {
        // Only our own names are removed: a second name of a file marked read-only carries the mark.
        if (! ::DeleteFileW (path (file).c_str())
            && ! (::GetLastError() == ERROR_ACCESS_DENIED && ::SetFileAttributesW (path (file).c_str(), FILE_ATTRIBUTE_NORMAL)
                  && ::DeleteFileW (path (file).c_str())))
            return windowsFailure();

        return {};
    }

    Expected<void> mayReplace (const Info& target)
    {
        // What Windows says when a read-only file is written over, and why.
        if (target.readOnly)
            return Failure { Failure::Kind::ioFailed, windowsFailure (ERROR_ACCESS_DENIED).message + " (it is marked read-only)" };

        return {};
    }

    juce::String comparablePath (const juce::File& file)
    {
        return file.getFullPathName().toLowerCase();
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
