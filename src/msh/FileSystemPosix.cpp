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
        juce::Result failure()                       { return juce::Result::fail (std::strerror (errno)); }
    }

    juce::String comparablePath (const juce::File& file)
    {
        return file.getFullPathName();
    }

    juce::StringArray arguments (int argc, char* argv[])
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

    juce::Result lookUp (const juce::File& file, bool followLinks, Info& info)
    {
        info = {};
        struct stat s {};

        if ((followLinks ? ::stat (path (file).c_str(), &s) : ::lstat (path (file).c_str(), &s)) != 0)
            return errno == ENOENT || errno == ENOTDIR ? juce::Result::ok() : failure();

        info.kind = S_ISREG (s.st_mode) ? Info::Kind::regular : S_ISDIR (s.st_mode) ? Info::Kind::directory
                  : S_ISLNK (s.st_mode) ? Info::Kind::link : Info::Kind::other;
        info.device = (juce::uint64) s.st_dev;
        info.identity = (juce::uint64) s.st_ino;
        info.permissions = (juce::uint32) (s.st_mode & 07777);
        info.owner = (juce::uint32) s.st_uid;
        info.group = (juce::uint32) s.st_gid;
        info.size = (juce::int64) s.st_size;
        return juce::Result::ok();
    }

    juce::Result readLink (const juce::File& file, juce::String& target)
    {
        std::vector<char> text (4096);
        const auto length = ::readlink (path (file).c_str(), text.data(), text.size());

        if (length < 0)
            return failure();

        target = juce::String::fromUTF8 (text.data(), (int) length);
        return juce::Result::ok();
    }

    juce::Result openToRead (const juce::File& file, int& handle, juce::int64& size)
    {
        // Non-blocking, so a FIFO opens at once instead of waiting for a writer; then refused.
        handle = ::open (path (file).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);

        if (handle < 0)
            return failure();

        struct stat s {};

        if (::fstat (handle, &s) != 0 || ! S_ISREG (s.st_mode))
        {
            const auto result = S_ISDIR (s.st_mode) ? juce::Result::fail ("is a directory")
                                                    : juce::Result::fail ("is not a regular file");
            ::close (handle);
            handle = -1;
            return result;
        }

        ::fcntl (handle, F_SETFL, ::fcntl (handle, F_GETFL) & ~O_NONBLOCK);
        size = (juce::int64) s.st_size;
        return juce::Result::ok();
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

    bool seek (int handle, juce::int64 position)
    {
        return ::lseek (handle, (off_t) position, SEEK_SET) == (off_t) position;
    }

    juce::Result createNew (const juce::File& file, juce::uint32 permissions, int& handle)
    {
        handle = ::open (path (file).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, (mode_t) permissions);
        return handle < 0 ? failure() : juce::Result::ok();
    }

    juce::Result writeAll (int handle, const void* data, size_t size)
    {
        const auto* bytes = static_cast<const char*> (data);

        // A write may take fewer bytes than it was given (a signal, a full pipe): the rest follows.
        while (size > 0)
        {
            const auto done = ::write (handle, bytes, size);

            if (done < 0 && errno == EINTR)
                continue;

            if (done <= 0)
                return done < 0 ? failure() : juce::Result::fail ("nothing could be written");

            bytes += done;
            size -= (size_t) done;
        }

        return juce::Result::ok();
    }

    juce::Result close (int handle)
    {
        // Some file systems (NFS, quotas) only tell at the close that the data did not fit.
        return ::close (handle) != 0 && errno != EINTR ? failure() : juce::Result::ok();
    }

    juce::Result replace (const juce::File& from, const juce::File& to)
    {
        return ::rename (path (from).c_str(), path (to).c_str()) != 0 ? failure() : juce::Result::ok();
    }

    juce::Result hardLink (const juce::File& existing, const juce::File& newName)
    {
        return ::link (path (existing).c_str(), path (newName).c_str()) != 0 ? failure() : juce::Result::ok();
    }

    bool remove (const juce::File& file)
    {
        return ::unlink (path (file).c_str()) == 0;
    }

    void keepOwner (int handle, const Info& of)
    {
        // Only root may give a file away; anyone may keep a group they are in. What may not be is left.
        if (::fchown (handle, (uid_t) of.owner, (gid_t) of.group) != 0)
            (void) ::fchown (handle, (uid_t) -1, (gid_t) of.group);
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

        extern "C" void onSignal (int number)
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
