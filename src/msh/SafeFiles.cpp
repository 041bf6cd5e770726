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
        ~InputFileStream() override           { (void) FileSystem::close (handle); }

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
            (void) FileSystem::remove (entry.getFile()); // another run may have taken it first
}

Expected<std::unique_ptr<juce::InputStream>> openInputFile (const juce::File& file)
{
    const auto info = FileSystem::lookUp (file, true);

    if (! info)
        return Failure { info.failure().kind, "cannot open: " + info.message() };

    if (info->kind == Kind::missing)
        return Failure { Failure::Kind::notFound, "no such file" };

    if (info->kind != Kind::regular)
        return Failure { Failure::Kind::notRegular, info->kind == Kind::directory ? "is a directory" : "is not a regular file" };

    const auto opened = FileSystem::openToRead (file);

    if (! opened)
        return Failure { opened.failure().kind, opened.failure().kind == Failure::Kind::notRegular ? opened.message() : "cannot open: " + opened.message() };

    return std::unique_ptr<juce::InputStream> (std::make_unique<InputFileStream> (opened->handle, opened->size));
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
        const auto info = FileSystem::lookUp (here, false);

        if (! info)
            return Failure { info.failure().kind, "\"" + path + "\": " + info.message() };

        if (info->kind != Kind::link)
            continue;

        // A link is followed as a path inside the folder, or refused.
        const auto link = FileSystem::readLink (here);

        if (++links > 40 || ! link)
            return refuse ("is a symbolic link that cannot be followed");

        auto target = *link;
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

Expected<juce::File> resolveOutputPath (const juce::File& path)
{
    auto resolved = path;

    for (int links = 0;; ++links)
    {
        const auto info = FileSystem::lookUp (resolved, false);

        if (! info)
            return info.failure();

        if (info->kind != Kind::link)
            return resolved;

        if (links == 40)
            return Failure { Failure::Kind::ioFailed, "Too many levels of symbolic links" };

        const auto target = FileSystem::readLink (resolved);

        if (! target)
            return target.failure();

        resolved = resolved.getParentDirectory().getChildFile (*target);
    }
}

//==============================================================================
// A temporary file, written through a buffer; the first failure is kept and every later write refused.
class OutputFileSet::Stream final : public juce::OutputStream
{
public:
    explicit Stream (int h) : handle (h) { buffer.malloc (bufferSize); }
    ~Stream() override      { (void) closeFile(); } // a file not finished is a file dropped

    bool write (const void* data, size_t size) override
    {
        if (! status)
            return false;

        written += (juce::int64) size;

        if (used + size > bufferSize)
        {
            flush();

            if (size > bufferSize) // big blocks go straight through
            {
                if (status)
                    status = FileSystem::writeAll (handle, data, size);

                return status.ok();
            }
        }

        std::memcpy (buffer + used, data, size);
        used += size;
        return status.ok();
    }

    void flush() override
    {
        if (status && used > 0)
            status = FileSystem::writeAll (handle, buffer, used);

        used = 0;
    }

    juce::int64 getPosition() override                  { return written; }
    bool setPosition (juce::int64 position) override    { return position == written; }

    // Writes what is buffered and closes the file: the outcome of everything written to it.
    Expected<void> finish()
    {
        flush();

        if (auto closed = closeFile(); status)
            status = closed;

        return status;
    }

private:
    Expected<void> closeFile()
    {
        if (handle < 0)
            return {};

        const auto closed = FileSystem::close (handle);
        handle = -1;
        return closed;
    }

    static constexpr size_t bufferSize = 1 << 20;
    int handle;
    juce::HeapBlock<char> buffer;
    size_t used = 0;
    juce::int64 written = 0;
    Expected<void> status;
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

juce::Array<juce::File> OutputFileSet::targets() const
{
    juce::Array<juce::File> list;

    for (auto& entry : entries)
        list.add (entry->target);

    return list;
}

Expected<juce::OutputStream*> OutputFileSet::add (const juce::File& path)
{
    // Whatever stops one file stops the set: none of it is left.
    const auto refuse = [this] (const Failure& why) -> Expected<juce::OutputStream*>
    {
        discard();
        dropped = why;
        return why;
    };

    if (dropped)
        return *dropped;

    auto entry = std::make_unique<Entry>();
    const auto resolved = resolveOutputPath (path);

    if (! resolved)
        return refuse ({ resolved.failure().kind, "cannot write " + path.getFullPathName() + ": " + resolved.message() });

    entry->target = *resolved;
    const auto info = FileSystem::lookUp (entry->target, false);

    if (! info)
        return refuse ({ info.failure().kind, "cannot write " + path.getFullPathName() + ": " + info.message() });

    if (info->kind != Kind::missing && info->kind != Kind::regular)
        return refuse ({ Failure::Kind::notRegular, path.getFullPathName() + (info->kind == Kind::directory ? ": is a directory" : ": is not a regular file") });

    if (const auto replaceable = FileSystem::mayReplace (*info); ! replaceable)
        return refuse ({ replaceable.failure().kind, "cannot replace " + path.getFullPathName() + ": " + replaceable.message() });

    // A file that replaces another keeps its permissions; a new one gets the usual ones.
    entry->temporary = temporarySibling (entry->target, "part");
    entry->slot = Temporaries::instance.note (entry->temporary);
    const auto handle = FileSystem::createNew (entry->temporary, info->kind == Kind::regular ? info->permissions : 0666);

    if (! handle)
        return refuse ({ handle.failure().kind, "cannot write " + path.getFullPathName() + ": " + handle.message() });

    if (info->kind == Kind::regular)
        FileSystem::keepOwner (*handle, *info);

    entry->stream = std::make_unique<Stream> (*handle);
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
            (void) FileSystem::remove (entry->temporary); // what cannot be removed was never made
        }
    }

    entries.clear();
}

Expected<void> OutputFileSet::commit()
{
    const auto refuse = [this] (const Failure& why) -> Expected<void>
    {
        discard();
        dropped = why;
        return why;
    };

    if (dropped)
        return *dropped;

    for (auto& entry : entries)
        if (const auto finished = entry->stream->finish(); ! finished)
            return refuse ({ finished.failure().kind, "cannot write " + entry->target.getFullPathName() + ": " + finished.message() });

    const auto count = entries.size();

    // One writer at a time puts its set in place, and no reader of a set reads it meanwhile.
    juce::Array<juce::File> folders;
    for (auto& entry : entries)
        folders.addIfNotAlreadyThere (entry->target.getParentDirectory());
    folders.sort();
    std::vector<std::unique_ptr<FolderLock>> locks;
    for (auto& folder : folders)
        locks.push_back (std::make_unique<FolderLock> (folder, true));

    // Puts back what entries [0, renamed) replaced, and what the later ones moved aside. Each step
    // undoes one that succeeded, so it succeeds in turn unless the folder changed under it.
    const auto rollBack = [this, count] (size_t renamed)
    {
        for (size_t i = 0; i < count; ++i)
        {
            auto& e = *entries[i];

            if (i < renamed)
            {
                (void) (e.existed ? FileSystem::replace (e.backup, e.target) : FileSystem::remove (e.target));
                e.stream.reset(); // its temporary is the target now, or back where it was
            }
            else if (e.existed && e.backup != juce::File())
            {
                (void) (e.linkedBackup ? FileSystem::remove (e.backup) : FileSystem::replace (e.backup, e.target));
            }
        }
    };

    // Every target but the last gets a second name first, so a later failure can put it back. A hard link
    // keeps the target in place throughout; where links are not possible it is moved aside instead. An
    // immutable file refuses both, so it is found before anything changed.
    for (size_t i = 0; i < count; ++i)
    {
        auto& e = *entries[i];
        const auto info = FileSystem::lookUp (e.target, false);

        if (! info || (info->kind != Kind::missing && info->kind != Kind::regular))
        {
            rollBack (0);
            return refuse ({ info ? Failure::Kind::notRegular : info.failure().kind,
                             e.target.getFullPathName() + ": " + (info ? juce::String ("is not a regular file") : info.message()) });
        }

        if (const auto replaceable = FileSystem::mayReplace (*info); ! replaceable) // marked since it was added
        {
            rollBack (0);
            return refuse ({ replaceable.failure().kind, "cannot replace " + e.target.getFullPathName() + ": " + replaceable.message() });
        }

        e.existed = info->kind == Kind::regular;

        if (! e.existed || i + 1 == count)
            continue;

        e.backup = temporarySibling (e.target, "old");
        e.linkedBackup = FileSystem::hardLink (e.target, e.backup).ok();

        if (e.linkedBackup) // a second name a signal may take away: the target keeps the file
        {
            e.backupSlot = Temporaries::instance.note (e.backup);
            continue;
        }

        if (const auto moved = FileSystem::replace (e.target, e.backup); ! moved)
        {
            e.backup = juce::File();
            rollBack (0);
            return refuse ({ moved.failure().kind, "cannot replace " + e.target.getFullPathName() + ": " + moved.message() });
        }
    }

    for (size_t i = 0; i < count; ++i)
    {
        if (const auto renamed = FileSystem::replace (entries[i]->temporary, entries[i]->target); ! renamed)
        {
            rollBack (i);
            return refuse ({ renamed.failure().kind, "cannot replace " + entries[i]->target.getFullPathName() + ": " + renamed.message() });
        }
    }

    for (auto& entry : entries)
    {
        if (entry->backup != juce::File())
            (void) FileSystem::remove (entry->backup); // the set is whole: a second name left is only a name

        entry->stream.reset();
    }

    entries.clear();
    return {};
}

Expected<void> writeFileAtomically (const juce::File& target, const void* data, size_t size)
{
    OutputFileSet files;
    const auto stream = files.add (target);

    if (! stream)
        return stream.failure();

    if (size > 0)
        (*stream)->write (data, size); // a failure shows at the commit

    return files.commit();
}
