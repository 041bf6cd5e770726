// Tolmar MSH Viewer - the file-system calls on POSIX systems.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "FileSystem.h"

#include <cerrno>
#include <cstring>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace FileSystem
{
    namespace
    {
        std::string path (const juce::File& file)   { return file.getFullPathName().toStdString(); }

        // The system's reason for its last failure, and its kind.
        Failure failure()
        {
            const auto kind = errno == ENOENT ? Failure::Kind::notFound
                            : errno == EISDIR || errno == ENOTDIR ? Failure::Kind::notRegular
                            : errno == ENOMEM ? Failure::Kind::noMemory : Failure::Kind::ioFailed;
            return { kind, std::strerror (errno) };
        }
    }

    juce::String comparablePath (const juce::File& file)
    {
        return file.getFullPathName();
    }

    Expected<Info> lookUp (const juce::File& file, bool followLinks)
    {
        Info info;
        struct stat s {};

        if ((followLinks ? ::stat (path (file).c_str(), &s) : ::lstat (path (file).c_str(), &s)) != 0)
            return errno == ENOENT || errno == ENOTDIR ? Expected<Info> (info) : Expected<Info> (failure());

        info.kind = S_ISREG (s.st_mode) ? Info::Kind::regular : S_ISDIR (s.st_mode) ? Info::Kind::directory
                  : S_ISLNK (s.st_mode) ? Info::Kind::link : Info::Kind::other;
        info.device = (juce::uint64) s.st_dev;
        info.identity = (juce::uint64) s.st_ino;
        info.permissions = (juce::uint32) (s.st_mode & 07777);
        info.owner = (juce::uint32) s.st_uid;
        info.group = (juce::uint32) s.st_gid;
        info.size = (juce::int64) s.st_size;
        info.modified = (juce::int64) s.st_mtim.tv_sec * 1000000000 + (juce::int64) s.st_mtim.tv_nsec;
        return info;
    }

    Expected<juce::String> readLink (const juce::File& file)
    {
        std::vector<char> text (4096);
        const auto length = ::readlink (path (file).c_str(), text.data(), text.size());

        if (length < 0)
            return failure();

        return juce::String::fromUTF8 (text.data(), (int) length);
    }

    Expected<OpenFile> openToRead (const juce::File& file)
    {
        // Non-blocking, so a FIFO opens at once instead of waiting for a writer; then refused.
        const auto handle = ::open (path (file).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);

        if (handle < 0)
            return failure();

        struct stat s {};

        if (::fstat (handle, &s) != 0 || ! S_ISREG (s.st_mode))
        {
            ::close (handle);
            return Failure { Failure::Kind::notRegular, S_ISDIR (s.st_mode) ? "is a directory" : "is not a regular file" };
        }

        ::fcntl (handle, F_SETFL, ::fcntl (handle, F_GETFL) & ~O_NONBLOCK);
        return OpenFile { handle, (juce::int64) s.st_size };
    }

    juce::int64 read (int handle, void* buffer, size_t size)
    {
        for (;;)
        {
            const auto got = ::read (handle, buffer, size);

            if (got >= 0 || errno != EINTR)
                return (juce::int64) got;
        }
    }

    Expected<void> seek (int handle, juce::int64 position)
    {
        if (::lseek (handle, (off_t) position, SEEK_SET) != (off_t) position)
            return failure();

        return {};
    }

    Expected<int> createNew (const juce::File& file, juce::uint32 permissions)
    {
        const auto handle = ::open (path (file).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, (mode_t) permissions);

        if (handle < 0)
            return failure();

        return handle;
    }

    Expected<void> writeAll (int handle, const void* data, size_t size)
    {
        const auto* bytes = static_cast<const char*> (data);

        // A write may take fewer bytes than it was given (a signal, a full pipe): the rest follows.
        while (size > 0)
        {
            const auto done = ::write (handle, bytes, size);

            if (done < 0 && errno == EINTR)
                continue;

            if (done < 0)
                return failure();

            if (done == 0)
                return Failure { Failure::Kind::ioFailed, "nothing could be written" };

            bytes += done;
            size -= (size_t) done;
        }

        return {};
    }

    Expected<void> close (int handle)
    {
        // Some file systems (NFS, quotas) only tell at the close that the data did not fit.
        if (::close (handle) != 0 && errno != EINTR)
            return failure();

        return {};
    }

    Expected<void> replace (const juce::File& from, const juce::File& to)
    {
        if (::rename (path (from).c_str(), path (to).c_str()) != 0)
            return failure();

        return {};
    }

    Expected<void> hardLink (const juce::File& existing, const juce::File& newName)
    {
        if (::link (path (existing).c_str(), path (newName).c_str()) != 0)
            return failure();

        return {};
    }

    Expected<void> remove (const juce::File& file)
    {
        if (::unlink (path (file).c_str()) != 0)
            return failure();

        return {};
    }

    Expected<void> mayReplace (const Info&)
    {
        return {}; // write permission is the folder's to give: a rename replaces what it may
    }

    void keepOwner (int handle, const Info& of)
    {
        // Only root may give a file away; anyone may keep a group they are in. What may not be kept stays
        // as for any new file: the process's owner and the folder's group.
        const auto kept = ::fchown (handle, (uid_t) of.owner, (gid_t) of.group) == 0 || ::fchown (handle, (uid_t) -1, (gid_t) of.group) == 0;
        juce::ignoreUnused (kept);
    }

    juce::int64 lockFolder (const juce::File& folder, bool exclusive)
    {
        const auto handle = ::open (path (folder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);

        if (handle < 0)
            return -1;

        while (::flock (handle, exclusive ? LOCK_EX : LOCK_SH) != 0)
        {
            if (errno != EINTR)
            {
                ::close (handle);
                return -1;
            }
        }

        return handle;
    }

    void unlockFolder (juce::int64 lock)
    {
        if (lock >= 0)
            ::close ((int) lock); // the lock goes with the last descriptor
    }

    namespace
    {
        void (*interruptionCleanup)() = nullptr;

        void onSignal (int number)
        {
            if (interruptionCleanup != nullptr)
                interruptionCleanup();

            ::_exit (128 + number);
        }
    }

    void onInterruption (void (*cleanup)())
    {
        interruptionCleanup = cleanup;
        struct sigaction action {};
        action.sa_handler = onSignal;
        ::sigemptyset (&action.sa_mask);

        for (const int number : { SIGINT, SIGTERM, SIGHUP })
        {
            // A signal ignored when the program started (a background job's SIGINT) stays ignored.
            struct sigaction before {};
            if (::sigaction (number, nullptr, &before) == 0 && before.sa_handler != SIG_IGN)
                ::sigaction (number, &action, nullptr);
        }
    }

    void removeFromHandler (const char* file) noexcept
    {
        ::unlink (file);
    }
}
