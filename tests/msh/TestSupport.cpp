// Tolmar MSH Viewer - helpers shared by the reader's tests.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "TestSupport.h"
#include "msh/MshReader.h"

#include <malloc.h>
#include <new>

#if defined (_WIN32)
 #define malloc_usable_size _msize
#endif

namespace
{
    std::atomic<size_t> heldBytes { 0 }, peakBytes { 0 };
}

// Every new and delete in the test programs goes through these, so a test can see how much a load held.
void* operator new (size_t size)
{
    auto* p = std::malloc (size > 0 ? size : 1);
    if (p == nullptr)
        throw std::bad_alloc();
    const auto held = heldBytes += malloc_usable_size (p);
    for (auto peak = peakBytes.load(); held > peak && ! peakBytes.compare_exchange_weak (peak, held);) {}
    return p;
}

void operator delete (void* p) noexcept
{
    if (p != nullptr)
        heldBytes -= malloc_usable_size (p);
    std::free (p);
}

#if ! __cpp_sized_deallocation // clang's <new> leaves it out, but code built by g++ (GoogleTest) calls it
void operator delete (void* p, size_t) noexcept;
#endif
void operator delete (void* p, size_t) noexcept    { operator delete (p); }

// The nothrow forms too (std::stable_sort's buffer), so nothing allocated here is freed elsewhere.
void* operator new (size_t size, const std::nothrow_t&) noexcept
{
    try { return operator new (size); } catch (const std::bad_alloc&) { return nullptr; }
}

void operator delete (void* p, const std::nothrow_t&) noexcept    { operator delete (p); }

std::function<size_t()> measureAllocationPeak()
{
    peakBytes = heldBytes.load();
    return [start = peakBytes.load()] { return peakBytes.load() - start; };
}

std::vector<juce::int64> LoadOutcome::offsets() const
{
    std::vector<juce::int64> result (warnings.size());
    std::transform (warnings.begin(), warnings.end(), result.begin(), [] (auto& w) { return w.offset; });
    return result;
}

LoadOutcome loadBytes (MshMesh& mesh, const juce::MemoryBlock& bytes)
{
    LoadOutcome outcome;
    const auto loaded = mshLoadMemory (mesh, bytes.getData(), bytes.getSize(), [&outcome] (const MshWarning& w) { outcome.warnings.push_back (w); });
    outcome.loaded = loaded.ok();
    outcome.error = loaded ? juce::String() : loaded.message();
    return outcome;
}

void writeBareObject (MshWriter& w, const char* name, juce::uint32 flags)
{
    w.shortString (name).int32 (0).int32 (0).uint32 (flags).zeros (64).zeros (5 * 4); // ... matrix, five counts
}

void writeHeaderAndEmptyLists (MshWriter& w, int lists)
{
    w.header (MshMesh()).zeros (4 * (size_t) lists);
}

bool isCleared (const MshMesh& mesh)
{
    MshMesh kept;
    kept.headerBlock = mesh.headerBlock;
    kept.headerFloat = mesh.headerFloat;
    kept.headerInts = mesh.headerInts;
    kept.root.valueA = mesh.root.valueA;
    kept.root.valueB = mesh.root.valueB;
    kept.root.flags = mesh.root.flags;
    kept.root.matrix = mesh.root.matrix;
    return sameModel (kept, mesh);
}

int runProgram (const juce::StringArray& command, juce::String* output, bool errorsToo)
{
    juce::ChildProcess process;
    if (! process.start (command, juce::ChildProcess::wantStdOut | (errorsToo ? juce::ChildProcess::wantStdErr : 0)))
        return -1;
    const auto text = process.readAllProcessOutput();
    if (output != nullptr)
        *output = text;
    process.waitForProcessToFinish (300000);
    return (int) process.getExitCode();
}
