// Tolmar MSH Viewer - geometry facts of the model that the drawing, the tools and the tests share.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include "MshModel.h"

#include <cmath>
#include <deque>
#include <optional>

// Entries 3t, 3t+1 and 3t+2 of indices make triangle t; the view draws it when every corner is below the
// vertex count, and one or two trailing entries make no triangle.
inline bool mshIsDrawable (const juce::uint16* corner, size_t vertexCount) noexcept
{
    return corner[0] < vertexCount && corner[1] < vertexCount && corner[2] < vertexCount;
}

// Calls visit (a, b, c) with the three vertices of every triangle the view draws, in index order, and
// returns how many were left out.
template <typename Visit>
size_t mshForEachDrawableTriangle (const MshObject& object, Visit&& visit)
{
    const auto* vertices = object.vertices.data();
    const auto vertexCount = object.vertices.size();
    const auto* corner = object.indices.data();
    const auto triangleCount = object.indices.size() / 3;
    size_t leftOut = 0;

    for (size_t t = 0; t < triangleCount; ++t, corner += 3)
    {
        if (! mshIsDrawable (corner, vertexCount))
            ++leftOut;
        else
            visit (vertices[corner[0]], vertices[corner[1]], vertices[corner[2]]);
    }

    return leftOut;
}

// Calls visit (object, depth, parent, index) for start, its descendants and, when withSiblings, the
// siblings that follow it with theirs, in file order: an object, its whole subtree, then its next
// sibling. index counts the objects visited from 0; parent is the index of the object's parent (-1 for
// start and its siblings, at depth 0). No recursion, so any depth walks. Object is MshObject or const
// MshObject: a visit may change the object, but not its links.
template <typename Object, typename Visit>
void mshForEachObject (Object& start, bool withSiblings, Visit&& visit)
{
    struct Pending { Object* object; int depth; juce::int64 parent; };
    std::vector<Pending> pending { { &start, 0, -1 } };

    for (juce::int64 index = 0; ! pending.empty(); ++index)
    {
        const auto item = pending.back();
        pending.pop_back();
        visit (*item.object, item.depth, item.parent, index);

        // The sibling waits below the child, so the whole subtree comes first.
        if (item.object->nextSibling != nullptr && (withSiblings || item.object != &start))
            pending.push_back ({ item.object->nextSibling.get(), item.depth, item.parent });

        if (item.object->firstChild != nullptr)
            pending.push_back ({ item.object->firstChild.get(), item.depth + 1, index });
    }
}

// Calls visit (object, x, y, z) for the objects mshForEachObject visits, in its order, where (x, y, z) is
// where the object's vertices go: the base plus the sum of the translations (matrix elements 12-14) from
// start down to the object, as the drawing places it.
void mshForEachPlacedObject (const MshObject& start, bool withSiblings, std::array<double, 3> base,
                             const std::function<void (const MshObject&, double x, double y, double z)>& visit);

// Where the vertices of target's parent go, or nothing when target is not in root's hierarchy (root's
// siblings included).
std::optional<std::array<double, 3>> mshParentPlacement (const MshObject& root, const MshObject& target);

// An axis-aligned box; empty until a point is added.
struct MshBounds
{
    std::array<double, 3> min { 0, 0, 0 }, max { 0, 0, 0 };
    bool empty = true;

    void add (double x, double y, double z) noexcept;
    std::array<double, 3> size() const noexcept    { return { max[0] - min[0], max[1] - min[1], max[2] - min[2] }; }
    std::array<double, 3> centre() const noexcept  { return { (min[0] + max[0]) / 2, (min[1] + max[1]) / 2, (min[2] + max[2]) / 2 }; }
    double radius() const noexcept                 { const auto s = size(); return std::hypot (s[0], s[1], s[2]) / 2; } // of the sphere around it
};

struct MshTotals
{
    size_t objects = 0, vertices = 0, trianglesDrawn = 0, trianglesLeftOut = 0;
    MshBounds bounds; // of the corners of the drawn triangles, placed; corners that are not finite are left out
};

// What one object draws, in its own coordinates: its drawn and left-out triangles, the box of the corners
// of the drawn ones whose coordinates are all finite (empty when low > high), and its index entries that
// point past its vertices.
struct MshObjectBox
{
    size_t trianglesDrawn = 0, trianglesLeftOut = 0, badIndices = 0;
    std::array<float, 3> low { HUGE_VALF, HUGE_VALF, HUGE_VALF }, high { -HUGE_VALF, -HUGE_VALF, -HUGE_VALF };
};

MshObjectBox mshObjectBox (const MshObject& object);

// Makes the box of every object while a load reads them (handler() goes to the load), those of big objects
// on a thread of its own while the load reads on, so the boxes are ready soon after the load is.
class MshBoxesWhileLoading final
{
public:
    MshBoxesWhileLoading();
    ~MshBoxesWhileLoading();

    MshObjectHandler handler();

    // Waits for the thread; every box, in file order.
    std::vector<MshObjectBox> finish();

private:
    struct Worker;
    std::unique_ptr<Worker> worker;
};

// The totals of start, its descendants and (withSiblings) the following siblings with theirs.
MshTotals mshTotals (const MshObject& start, bool withSiblings, std::array<double, 3> base = { 0, 0, 0 });

// The totals of a whole hierarchy whose objects' boxes are known already, in file order (the order in
// which a load reads them and mshForEachPlacedObject visits them): a load can make them while each
// object's lists are still in the processor's cache.
MshTotals mshTotals (const MshObject& root, const std::vector<MshObjectBox>& boxesInFileOrder);

// The chain of objects from root down to target (both included), or nothing when target is not root or
// one of its descendants (root's siblings are not).
std::vector<const MshObject*> mshAncestry (const MshObject& root, const MshObject& target);

// The object reached from root by a path of names (the first one root's own), taking at each level the
// first child of that name; nullptr when the path does not lead anywhere.
const MshObject* mshFindByNames (const MshObject& root, const juce::StringArray& names);
