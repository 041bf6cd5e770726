// Tolmar MSH Viewer - the in-memory model of one .msh file.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include <juce_core/juce_core.h>

#include <array>
#include <functional>
#include <memory>
#include <vector>

// The six 32-bit marker words of the format, as read little-endian.
namespace MshMarker
{
    constexpr juce::uint32 namedBlock68 = 0x9709513Eu; // an MshNamedBlock68 follows
    constexpr juce::uint32 namedBlock8  = 0x7951FC0Bu; // an MshNamedBlock8 follows
    constexpr juce::uint32 child        = 0xF74C51EEu; // a child object record follows
    constexpr juce::uint32 objectEnd    = 0xA93EB864u; // end of one object record
    constexpr juce::uint32 sibling      = 0xB8990880u; // a sibling object record follows
    constexpr juce::uint32 fileEnd      = 0xE3BB47F1u; // end of the file's content
}

// The bits of an object's flags word that mean something to the viewer and the game.
namespace MshFlag
{
    constexpr juce::uint32 lit        = 0x10;   // "Is lit up"
    constexpr juce::uint32 collidable = 0x100;  // "Is Collidable"
    constexpr juce::uint32 twoSided   = 0x200;  // "Is drawn on both sides of triangles"
    constexpr juce::uint32 hidden     = 0x400;  // "Is Hidden from in-game"
}

// A raw record: N file bytes kept unchanged; nothing looks inside.
template <size_t N>
using MshRawRecord = std::array<juce::uint8, N>;

using MshRecord36 = MshRawRecord<36>;

struct MshVertex
{
    float x = 0, y = 0, z = 0;    // position
    float nx = 0, ny = 0, nz = 0; // normal
    float u = 0, v = 0;           // texture coordinate
};

static_assert (sizeof (MshVertex) == 32, "vertices are read in bulk: eight packed float32");

struct MshNamedBlock68
{
    juce::String name;
    std::array<juce::uint8, 68> data {};
};

struct MshNamedBlock8
{
    juce::String name;
    std::array<juce::uint8, 8> data {};
};

struct MshTripleEntry
{
    std::unique_ptr<MshNamedBlock68> blockA;
    std::unique_ptr<MshNamedBlock8> blockB;
    juce::int32 t0 = 0, t1 = 0, t2 = 0;
};

struct MshPairSet
{
    juce::uint32 pairCount = 0;                 // 0 to 2: how many pairs are valid
    std::array<juce::uint16, 2> pairIndex {};
    std::array<float, 2> pairValue {};
};

struct MshQuadEntry
{
    juce::uint16 q0 = 0, q1 = 0, q2 = 0, q3 = 0;
    std::unique_ptr<MshNamedBlock68> blockA;
    std::unique_ptr<MshNamedBlock8> blockB;
};

struct MshSubGroup
{
    MshSubGroup() = default;
    MshSubGroup (const MshSubGroup&) = default;
    MshSubGroup (MshSubGroup&&) noexcept = default;
    MshSubGroup& operator= (const MshSubGroup&) = default;
    MshSubGroup& operator= (MshSubGroup&&) noexcept = default;
    virtual ~MshSubGroup() = default;

    float floatValue = 0;
    std::vector<MshRecord36> records;
    juce::int32 intValue = 0;
};

struct MshNamedGroup
{
    juce::String name;
    juce::int32 value = 0;
    float floatA = 0, floatB = 0;
    std::vector<MshRecord36> records;
    std::vector<MshSubGroup> subGroups;
};

// What a reader found wrong but read past (the viewer shows its "WARNING" box for each one), or what an
// import left out or changed on the way.
struct MshWarning
{
    enum class Kind { objectEnd, fileEnd, import };

    Kind kind = Kind::objectEnd;
    juce::int64 offset = 0;     // where the 4 marker bytes began
    juce::uint32 found = 0;     // what they read as
    juce::String objectName;    // the object whose end marker it was (empty for the file end)
    juce::String message;       // an import's: what, where and why
};

using MshWarningHandler = std::function<void (const MshWarning&)>;

class MshObject;

// Called with each object once its own fields are read, before its children, in file order: work on its
// lists here finds them still in the processor's cache. A load that fails calls it once more with nullptr
// before it frees what it read: a handler that hands objects on must be done with them when that returns.
using MshObjectHandler = std::function<void (const MshObject*)>;

// One node of the object hierarchy. It owns its first child and its next sibling.
class MshObject final
{
public:
    MshObject() = default;
    ~MshObject();

    // Frees the child subtree and the sibling chain without recursion, so deep or long chains
    // cannot overflow the stack.
    void destroyLinks() noexcept;

    // Empties the name, the five lists and both links; leaves valueA, valueB, flags, matrix and isHp as
    // they are.
    void clearContent() noexcept;

    juce::String name;
    juce::int32 valueA = 0;
    juce::int32 valueB = 0;
    juce::uint32 flags = 0;
    std::array<float, 16> matrix {};             // elements 12, 13, 14 are the translation
    std::vector<MshRawRecord<4>> list4;
    std::vector<MshRawRecord<16>> list16;
    std::vector<MshVertex> vertices;
    std::vector<MshQuadEntry> quadEntries;
    std::vector<juce::uint16> indices;            // three per triangle, into vertices
    bool isHp = false;
    std::unique_ptr<MshObject> firstChild;
    std::unique_ptr<MshObject> nextSibling;

private:
    JUCE_DECLARE_NON_COPYABLE (MshObject)
};

// True when a name begins with "hp_" in any letter case.
bool mshNameIsHp (const juce::String& name) noexcept;

// The whole model of one .msh file.
class MshMesh final
{
public:
    MshMesh() = default;
    ~MshMesh();

    // Empties everything but headerBlock, headerFloat, headerInts and the root's valueA, valueB, flags,
    // matrix and isHp; the bytes nothing interprets are zeroed.
    void clear() noexcept;

    // Word i (0 to 19) of headerBlock as a little-endian float32.
    float headerWord (int index) const noexcept;

    std::array<juce::uint8, 52> headerLead {};  // the bytes before the header string, not interpreted
    juce::String headerString;
    std::array<juce::uint8, 80> headerBlock {};
    std::array<juce::uint8, 4> headerGap {};    // the bytes after the block, not interpreted
    float headerFloat = 0;
    std::array<juce::int32, 5> headerInts {};
    std::vector<MshRawRecord<12>> list12A;
    std::vector<MshRawRecord<12>> list12B;
    std::vector<MshRawRecord<8>> list8;
    std::vector<MshRawRecord<4>> list4;
    std::vector<MshRawRecord<20>> list20;
    std::vector<MshTripleEntry> tripleEntries;
    std::vector<MshPairSet> pairSets;
    std::vector<MshQuadEntry> quadEntries;
    std::vector<juce::uint16> shortList;
    std::vector<MshRawRecord<16>> list16;
    std::vector<MshRawRecord<64>> list64;
    std::vector<MshRecord36> record36List;
    std::vector<MshNamedGroup> namedGroups;
    MshObject root;
    std::vector<juce::uint8> trailingBytes;     // whatever follows the file end marker

private:
    JUCE_DECLARE_NON_COPYABLE (MshMesh)
};

// Empties a list and gives its storage back.
template <typename T>
void mshReleaseList (std::vector<T>& list) noexcept
{
    std::vector<T>().swap (list);
}
