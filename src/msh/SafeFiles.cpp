// Tolmar MSH Viewer - reading only regular files, and writing files that are whole or absent.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "SafeFiles.h"
#include "FileSystem.h"

#include <atomic>
#include <mutex>

namespace
{
    using Kind = FileSystem::Info::Kind;

    class InputFileStream final : public juce::InputStream
    {
    public:
        InputFileStream (int h, juce::int64 size) : handle (h), length (size) {}
        ~InputFileStream() override           { FileSystem::close (handle); }

        juce::int64 getTotalLength() override  { return length; }
        bool isExhausted() override            { return position >= length; }
        juce::int64 getPosition() override     { return position; }

        int read (void* dest, int size) override
        {
            const auto got = FileSystem::read (handle, dest, (size_t) juce::jmax (0, size));

            if (got > 0)
                position += got;

            return (int) got;
        }

        bool setPosition (juce::int64 newPosition) override
        {
            if (! FileSystem::seek (handle, newPosition))
                return false;

            position = newPosition;
            return true;
        }

    private:
        const int handle;
        const juce::int64 length;
        juce::int64 position = 0;
    };

    // A name in the target's folder that nothing else uses: hidden, and telling what it stands for.
    juce::File temporarySibling (const juce::File& target, const char* kind)
    {
        return target.getSiblingFile ("." + target.getFileName().substring (0, 100) + "." + kind + "-"
                                      + juce::String::toHexString (juce::Random::getSystemRandom().nextInt64()));
    }

    // The temporary files being written, for a signal to remove: fixed slots, each free (0), being
    // filled (1) or naming a file (2), changed atomically, so a handler reads only whole names.
    struct Temporaries
    {
        static constexpr int slots = 64;
        std::atomic<int> state[slots] {};
        char paths[slots][4096] {};

        int note (const juce::File& file)
        {
            static std::once_flag handler;
            std::call_once (handler, [] { FileSystem::onInterruption (&Temporaries::removeAll); });

            const auto* utf8 = file.getFullPathName().toRawUTF8();
            const auto length = std::strlen (utf8);

            for (int i = 0; i < slots && length < sizeof (paths[i]); ++i)
            {
                int free = 0;

                if (state[i].compare_exchange_strong (free, 1))
                {
                    std::memcpy (paths[i], utf8, length + 1);
                    state[i] = 2;
                    return i;
                }
            }

            return -1; // more than the slots at once: this one is not removed on a signal
        }

        void forget (int slot)
        {
            if (slot >= 0)
                state[slot] = 0;
        }

        static void removeAll()
        {
            for (int i = 0; i < slots; ++i)
                if (instance.state[i] == 2)
                    FileSystem::removeFromHandler (instance.paths[i]);
        }

        static Temporaries instance;
    };

    Temporaries Temporaries::instance;

    // A temporary file of ours: hidden, its target's name, ".part-" and a number.
    bool isOurTemporary (const juce::String& name)
    {
        const auto number = name.fromLastOccurrenceOf (".part-", false, false);
        return name.startsWithChar ('.') && name.contains (".part-") && number.isNotEmpty() && number.length() <= 16
            && number.containsOnly ("0123456789abcdef");
    }
}

void removeStaleTemporaries (const juce::File& folder)
{
    const auto dayAgo = juce::Time::getCurrentTime() - juce::RelativeTime::days (1);

    for (const auto& entry : juce::RangedDirectoryIterator (folder, false, ".*", juce::File::findFiles))
        if (isOurTemporary (entry.getFile().getFileName()) && entry.getModificationTime() < dayAgo)
            FileSystem::remove (entry.getFile());
}

std::unique_ptr<juce::InputStream> openInputFile (const juce::File& file, juce::String& reason)
{
    FileSystem::Info info;

    if (const auto looked = FileSystem::lookUp (file, true, info); looked.failed())
        return reason = "cannot open: " + looked.getErrorMessage(), nullptr;

    if (info.kind == Kind::missing)
        return reason = "no such file", nullptr;

    if (info.kind == Kind::directory)
        return reason = "is a directory", nullptr;

    if (info.kind != Kind::regular)
        return reason = "is not a regular file", nullptr;

    int handle = -1;
    juce::int64 size = 0;

    if (const auto opened = FileSystem::openToRead (file, handle, size); opened.failed())
    {
        const auto& why = opened.getErrorMessage();
        return reason = why.startsWith ("is ") ? why : "cannot open: " + why, nullptr;
    }

    reason = {};
    return std::make_unique<InputFileStream> (handle, size);
}

Expected<juce::File> fileInside (const juce::File& folder, const juce::String& path)
{
    const auto refuse = [&path] (const juce::String& why) { return Failure { Failure::Kind::outside, "\"" + path + "\" " + why }; };
    const auto scheme = path.initialSectionContainingOnly ("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789+.-");

    if (path.startsWithChar ('/') || path.startsWithChar ('\\'))
        return refuse ("is an absolute path: only files in the folder of the file that names them are read");

    if (scheme.isNotEmpty() && path[scheme.length()] == ':')
        return refuse ("is no file in the folder of the file that names it");

    auto pending = juce::StringArray::fromTokens (path, "/\\", "");
    juce::StringArray parts;

    for (int links = 0; ! pending.isEmpty();)
    {
        const auto part = pending[0];
        pending.remove (0);

        if (part.isEmpty() || part == ".")
            continue;

        if (part == "..")
        {
            if (parts.isEmpty())
                return refuse ("leads out of the folder of the file that names it");

            parts.remove (parts.size() - 1);
            continue;
        }

        parts.add (part);
        const auto here = folder.getChildFile (parts.joinIntoString ("/"));
        FileSystem::Info info;

        if (const auto looked = FileSystem::lookUp (here, false, info); looked.failed())
            return Failure { Failure::Kind::ioFailed, "\"" + path + "\": " + looked.getErrorMessage() };

        if (info.kind != Kind::link)
            continue;

        // A link is followed as a path inside the folder, or refused.
        juce::String target;

        if (++links > 40 || FileSystem::readLink (here, target).failed())
            return refuse ("is a symbolic link that cannot be followed");

        parts.remove (parts.size() - 1);

        if (juce::File::isAbsolutePath (target))
        {
            if (! juce::File (target).isAChildOf (folder))
                return refuse ("is a symbolic link out of the folder of the file that names it");

            target = juce::File (target).getRelativePathFrom (folder);
            parts.clear();
        }

        auto followed = juce::StringArray::fromTokens (target, "/\\", "");
        followed.addArray (pending);
        pending = followed;
    }

    return folder.getChildFile (parts.joinIntoString ("/"));
}

juce::Result resolveOutputPath (const juce::File& path, juce::File& resolved)
{
    resolved = path;

    for (int links = 0;; ++links)
    {
        FileSystem::Info info;

        if (const auto looked = FileSystem::lookUp (resolved, false, info); looked.failed() || info.kind != Kind::link)
            return looked;

        juce::String target;

        if (links == 40)
            return juce::Result::fail ("Too many levels of symbolic links");

        if (const auto read = FileSystem::readLink (resolved, target); read.failed())
            return read;

        resolved = resolved.getParentDirectory().getChildFile (target);
    }
}

//==============================================================================
// A temporary file, written through a buffer; the first failure is kept and every later write refused.
class OutputFileSet::Stream final : public juce::OutputStream
{
public:
    explicit Stream (int h) : handle (h) { buffer.malloc (bufferSize); }
    ~Stream() override      { closeFile(); }

    bool write (const void* data, size_t size) override
    {
        if (status.failed())
            return false;

        written += (juce::int64) size;

        if (used + size > bufferSize)
        {
            flush();

            if (size > bufferSize) // big blocks go straight through
            {
                if (status.wasOk())
                    status = FileSystem::writeAll (handle, data, size);

                return status.wasOk();
            }
        }

        std::memcpy (buffer + used, data, size);
        used += size;
        return status.wasOk();
    }

    void flush() override
    {
        if (status.wasOk() && used > 0)
            status = FileSystem::writeAll (handle, buffer, used);

        used = 0;
    }

    juce::int64 getPosition() override                  { return written; }
    bool setPosition (juce::int64 position) override    { return position == written; }

    // Writes what is buffered and closes the file: the result of everything written to it.
    juce::Result finish()
    {
        flush();

        if (const auto closed = closeFile(); status.wasOk())
            status = closed;

        return status;
    }

private:
    juce::Result closeFile()
    {
        if (handle < 0)
            return juce::Result::ok();

        const auto closed = FileSystem::close (handle);
        handle = -1;
        return closed;
    }

    static constexpr size_t bufferSize = 1 << 20;
    int handle;
    juce::HeapBlock<char> buffer;
    size_t used = 0;
    juce::int64 written = 0;
    juce::Result status = juce::Result::ok();
};

struct OutputFileSet::Entry
{
    ~Entry()
    {
        Temporaries::instance.forget (slot);
        Temporaries::instance.forget (backupSlot);
    }

    juce::File target, temporary, backup;
    std::unique_ptr<Stream> stream;
    bool existed = false, linkedBackup = false;
    int slot = -1, backupSlot = -1; // where a signal finds the temporary file and the second name
};

FolderLock::FolderLock (const juce::File& folder, bool exclusive) : handle (FileSystem::lockFolder (folder, exclusive)) {}
FolderLock::~FolderLock()    { FileSystem::unlockFolder (handle); }

OutputFileSet::OutputFileSet() = default;

OutputFileSet::~OutputFileSet()
{
    discard();
}

bool OutputFileSet::fail (const juce::String& message)
{
    discard();
    problem = message;
    return false;
}

juce::Array<juce::File> OutputFileSet::targets() const
{
    juce::Array<juce::File> list;

    for (auto& entry : entries)
        list.add (entry->target);

    return list;
}

juce::OutputStream* OutputFileSet::add (const juce::File& path)
{
    auto entry = std::make_unique<Entry>();
    FileSystem::Info info;

    if (const auto resolved = resolveOutputPath (path, entry->target); resolved.failed())
        return fail ("cannot write " + path.getFullPathName() + ": " + resolved.getErrorMessage()), nullptr;

    if (const auto looked = FileSystem::lookUp (entry->target, false, info); looked.failed())
        return fail ("cannot write " + path.getFullPathName() + ": " + looked.getErrorMessage()), nullptr;

    if (info.kind == Kind::directory)
        return fail (path.getFullPathName() + ": is a directory"), nullptr;

    if (info.kind != Kind::missing && info.kind != Kind::regular)
        return fail (path.getFullPathName() + ": is not a regular file"), nullptr;

    // A file that replaces another keeps its permissions; a new one gets the usual ones.
    int handle = -1;
    entry->temporary = temporarySibling (entry->target, "part");

    entry->slot = Temporaries::instance.note (entry->temporary);

    if (const auto created = FileSystem::createNew (entry->temporary, info.kind == Kind::regular ? info.permissions : 0666, handle); created.failed())
        return fail ("cannot write " + path.getFullPathName() + ": " + created.getErrorMessage()), nullptr;

    if (info.kind == Kind::regular)
        FileSystem::keepOwner (handle, info);

    entry->stream = std::make_unique<Stream> (handle);
    entries.push_back (std::move (entry));
    return entries.back()->stream.get();
}

void OutputFileSet::discard()
{
    for (auto& entry : entries)
    {
        if (entry->stream != nullptr)
        {
            entry->stream.reset();
            FileSystem::remove (entry->temporary);
        }
    }

    entries.clear();
}

bool OutputFileSet::commit()
{
    if (problem.isNotEmpty()) // a file that could not even be started: the set is gone already
        return false;

    for (auto& entry : entries)
        if (const auto finished = entry->stream->finish(); finished.failed())
            return fail ("cannot write " + entry->target.getFullPathName() + ": " + finished.getErrorMessage());

    const auto count = entries.size();

    // One writer at a time puts its set in place, and no reader of a set reads it meanwhile.
    juce::Array<juce::File> folders;
    for (auto& entry : entries)
        folders.addIfNotAlreadyThere (entry->target.getParentDirectory());
    folders.sort();
    std::vector<std::unique_ptr<FolderLock>> locks;
    for (auto& folder : folders)
        locks.push_back (std::make_unique<FolderLock> (folder, true));

    // Puts back what entries [0, renamed) replaced, and what the later ones moved aside.
    const auto rollBack = [this, count] (size_t renamed)
    {
        for (size_t i = 0; i < count; ++i)
        {
            auto& e = *entries[i];

            if (i < renamed)
            {
                if (e.existed)
                    FileSystem::replace (e.backup, e.target);
                else
                    FileSystem::remove (e.target);

                e.stream.reset(); // its temporary is the target now, or back where it was
            }
            else if (e.existed && e.backup != juce::File())
            {
                if (e.linkedBackup)
                    FileSystem::remove (e.backup);
                else
                    FileSystem::replace (e.backup, e.target);
            }
        }
    };

    // Every target but the last gets a second name first, so a later failure can put it back. A hard link
    // keeps the target in place throughout; where links are not possible it is moved aside instead. An
    // immutable file refuses both, so it is found before anything changed.
    for (size_t i = 0; i < count; ++i)
    {
        auto& e = *entries[i];
        FileSystem::Info info;
        const auto looked = FileSystem::lookUp (e.target, false, info);

        if (looked.failed() || (info.kind != Kind::missing && info.kind != Kind::regular))
        {
            rollBack (0);
            return fail (e.target.getFullPathName() + ": " + (looked.failed() ? looked.getErrorMessage() : "is not a regular file"));
        }

        e.existed = info.kind == Kind::regular;

        if (! e.existed || i + 1 == count)
            continue;

        e.backup = temporarySibling (e.target, "old");
        e.linkedBackup = FileSystem::hardLink (e.target, e.backup).wasOk();

        if (e.linkedBackup) // a second name a signal may take away: the target keeps the file
            e.backupSlot = Temporaries::instance.note (e.backup);

        if (! e.linkedBackup)
        {
            if (const auto moved = FileSystem::replace (e.target, e.backup); moved.failed())
            {
                e.backup = juce::File();
                rollBack (0);
                return fail ("cannot replace " + e.target.getFullPathName() + ": " + moved.getErrorMessage());
            }
        }
    }

    for (size_t i = 0; i < count; ++i)
    {
        if (const auto renamed = FileSystem::replace (entries[i]->temporary, entries[i]->target); renamed.failed())
        {
            rollBack (i);
            return fail ("cannot replace " + entries[i]->target.getFullPathName() + ": " + renamed.getErrorMessage());
        }
    }

    for (auto& entry : entries)
    {
        if (entry->backup != juce::File())
            FileSystem::remove (entry->backup);

        entry->stream.reset();
    }

    entries.clear();
    return true;
}

juce::String writeFileAtomically (const juce::File& target, const void* data, size_t size)
{
    OutputFileSet files;

    if (auto* stream = files.add (target))
    {
        if (size > 0)
            stream->write (data, size); // a failure shows at the commit
        files.commit();
    }

    return files.error();
}
