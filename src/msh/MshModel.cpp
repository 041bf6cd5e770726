// Tolmar MSH Viewer - the in-memory model of one .msh file.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "MshModel.h"

namespace
{
    // Puts a whole sibling chain in front of a work list that is itself linked through nextSibling.
    void spliceChainInFront (std::unique_ptr<MshObject>& list, std::unique_ptr<MshObject> chain) noexcept
    {
        if (chain == nullptr)
            return;

        auto* last = chain.get();

        while (last->nextSibling != nullptr)
            last = last->nextSibling.get();

        last->nextSibling = std::move (list);
        list = std::move (chain);
    }
}

MshObject::~MshObject()
{
    destroyLinks();
}

void MshObject::destroyLinks() noexcept
{
    // Every object still to free hangs in one list linked through nextSibling; an object's child chain
    // is spliced in front when the object is taken off, so each one dies with no links of its own and
    // no destructor ever recurses. Each object is walked at most twice: O(n), no allocation.
    std::unique_ptr<MshObject> work = std::move (nextSibling);
    spliceChainInFront (work, std::move (firstChild));

    while (work != nullptr)
    {
        auto node = std::move (work);
        work = std::move (node->nextSibling);
        spliceChainInFront (work, std::move (node->firstChild));
    }
}

void MshObject::clearContent() noexcept
{
    name = {};
    mshReleaseList (list4);
    mshReleaseList (list16);
    mshReleaseList (vertices);
    mshReleaseList (quadEntries);
    mshReleaseList (indices);
    destroyLinks();
}

bool mshNameIsHp (const juce::String& name) noexcept
{
    auto p = name.getCharPointer();
    const auto c0 = p.getAndAdvance();
    if (c0 != 'h' && c0 != 'H') return false;
    const auto c1 = p.getAndAdvance();
    if (c1 != 'p' && c1 != 'P') return false;
    return p.getAndAdvance() == '_';
}

MshMesh::~MshMesh()
{
    clear();
}

void MshMesh::clear() noexcept
{
    headerString = {};
    headerLead = {};
    headerGap = {};
    mshReleaseList (trailingBytes);
    mshReleaseList (list12A);
    mshReleaseList (list12B);
    mshReleaseList (list8);
    mshReleaseList (list4);
    mshReleaseList (list20);
    mshReleaseList (tripleEntries);
    mshReleaseList (pairSets);
    mshReleaseList (quadEntries);
    mshReleaseList (shortList);
    mshReleaseList (list16);
    mshReleaseList (list64);
    mshReleaseList (record36List);
    mshReleaseList (namedGroups);
    root.clearContent();
}

float MshMesh::headerWord (int index) const noexcept
{
    jassert (index >= 0 && index < 20);
    const auto bits = juce::ByteOrder::littleEndianInt (headerBlock.data() + 4 * juce::jlimit (0, 19, index));
    float value;
    std::memcpy (&value, &bits, sizeof (value));
    return value;
}
