// Tolmar MSH Viewer - objects read from another program's file, made whole again from what they kept of
// the .msh objects they were made from, or from the .msh file itself.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "ObjectMerge.h"
#include "ShapeMatch.h"
#include "msh/MshGeometry.h"
#include "msh/MshWriter.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <unordered_set>

namespace
{
    // "wheel.001" is Blender's second "wheel".
    juce::String withoutCopyNumber (const juce::String& name)
    {
        const auto dot = name.lastIndexOfChar ('.');
        const auto digits = name.substring (dot + 1);
        return dot >= 0 && digits.length() >= 3 && digits.containsOnly ("0123456789") ? name.substring (0, dot) : name;
    }

    // The longest start of a name whose UTF-8 takes at most limit bytes.
    juce::String firstBytes (const juce::String& name, size_t limit)
    {
        auto text = name;

        while (text.getNumBytesAsUTF8() > limit)
            text = text.dropLastCharacters (1);

        return text;
    }

    // Where a name and every name an editor may write for it meet: spaces as underscores, at most the 59
    // bytes Blender keeps before a copy number.
    juce::String looseKey (const juce::String& name)
    {
        return firstBytes (name.replaceCharacter (' ', '_'), 59);
    }

    bool isNodeNumber (const juce::String& name)
    {
        return name.startsWith ("Node_") && name.length() > 5 && name.substring (5).containsOnly ("0123456789");
    }

    // A translation agrees with the one kept when they differ by float rounding only, or are both too
    // small to matter (a re-saver may drop 6e-41 as none); one that is not a number was written as 0.
    bool agrees (float kept, float given)
    {
        if (! std::isfinite (kept))
            return given == 0;

        const auto difference = std::abs ((double) kept - (double) given);
        const auto size = std::max (std::abs ((double) kept), std::abs ((double) given));
        return difference <= size * 0x1p-22 || size < 1e-30;
    }

    template <typename Write>
    juce::MemoryBlock bytesOf (Write&& write)
    {
        juce::MemoryOutputStream out;
        MshWriter writer (out);
        write (writer);
        return out.getMemoryBlock();
    }

    juce::MemoryBlock listsOf (const MshObject& o)
    {
        return bytesOf ([&o] (MshWriter& w) { w.packedList (o.list4).packedList (o.list16).entryList (o.quadEntries, &MshWriter::quadEntry); });
    }

    bool sameGeometry (const MshObject& a, const MshObject& b)
    {
        return a.vertices.size() == b.vertices.size() && a.indices == b.indices
            && std::memcmp (a.vertices.data(), b.vertices.data(), a.vertices.size() * sizeof (MshVertex)) == 0;
    }

    void takeLists (MshObject& into, MshObject& from)
    {
        into.list4 = std::move (from.list4);
        into.list16 = std::move (from.list16);
        into.quadEntries = std::move (from.quadEntries);
    }

    void takeGeometry (MshObject& into, MshObject& from)
    {
        into.vertices = std::move (from.vertices);
        into.indices = std::move (from.indices);
    }

    // Names in reports: control characters as \xNN, so a name cannot break the line.
    juce::String printable (const juce::String& name)
    {
        if (name.isEmpty())
            return "\"\"";

        juce::String text;

        for (auto c : name)
            text << (c < 0x20 || c == 0x7f ? "\\x" + juce::String::toHexString ((int) c).paddedLeft ('0', 2) : juce::String::charToString (c));

        return text;
    }

    // What a change to an object touched, bit by bit.
    namespace Change
    {
        constexpr juce::uint32 flags = 1, values = 2, translation = 4, matrix = 8, lists = 16, geometry = 32;
    }
}

bool editorMayWrite (const juce::String& original, const juce::String& written)
{
    if (written == original)
        return true;

    if (original.isEmpty())
        return isNodeNumber (withoutCopyNumber (written));

    const auto stem = withoutCopyNumber (written);

    for (const auto& form : { original, original.replaceCharacter (' ', '_') })
        if (stem == form || (stem.getNumBytesAsUTF8() >= 59 && form.startsWith (stem)))
            return true;

    return false;
}

//==============================================================================
struct ObjectMerge::Index
{
    struct Made
    {
        MshObject* object;
        juce::int64 place;     // -1: none
        MshObject* original;
        juce::uint32 changes;
    };

    std::vector<Made> made;                     // in the order made, until finish sorts them by object
    std::unique_ptr<MshObject> top;             // the root and its siblings, until finish
    std::unique_ptr<MshObject>* topTail = &top;
    std::unordered_map<const MshObject*, std::unique_ptr<MshObject>*> tails; // where a parent's next child goes

    // The base's objects: their places, and their children by name (made on first use).
    struct Children
    {
        std::unordered_map<juce::String, std::vector<MshObject*>> exact, loose;
    };

    std::vector<std::pair<const MshObject*, juce::int64>> basePlaces; // sorted by object
    std::unordered_map<const MshObject*, Children> children;
    Children everywhere;
    std::unordered_set<const MshObject*> found;
    std::unordered_map<const MshObject*, MshObject*> originals;       // made object -> base object

    const Made* find (const MshObject* object) const
    {
        const auto at = std::lower_bound (made.begin(), made.end(), object, [] (const Made& m, const MshObject* o) { return m.object < o; });
        return at != made.end() && at->object == object ? &*at : nullptr;
    }

    juce::int64 placeInBase (const MshObject* object) const
    {
        const auto at = std::lower_bound (basePlaces.begin(), basePlaces.end(), object, [] (const auto& p, const MshObject* o) { return p.first < o; });
        return at != basePlaces.end() && at->first == object ? at->second : -1;
    }
};

ObjectMerge::ObjectMerge (MshMesh& m, MshMesh* b, ImportReport& r)
    : index (std::make_unique<Index>()), mesh (m), base (b), report (r)
{
    if (base == nullptr)
        return;

    mshForEachObject (base->root, true, [this] (MshObject& object, int, juce::int64, juce::int64 place) { index->basePlaces.push_back ({ &object, place }); });
    std::sort (index->basePlaces.begin(), index->basePlaces.end());
}

ObjectMerge::~ObjectMerge() = default;

MshObject* ObjectMerge::findInBase (const MshObject* baseParent, const juce::String& name)
{
    return base == nullptr ? nullptr : find (baseParent, name, [] (const MshObject&) { return true; });
}

MshObject* ObjectMerge::findAnywhereInBase (const juce::String& name, const std::function<bool (const MshObject&)>& fits)
{
    return base == nullptr ? nullptr : find (&base->root, name, fits, true);
}

MshObject* ObjectMerge::find (const MshObject* scope, const juce::String& name, const std::function<bool (const MshObject&)>& fits, bool anywhere)
{
    // The names in the scope (every object for anywhere, else the children), made on first use.
    auto& names = anywhere ? index->everywhere : index->children[scope];

    if (names.exact.empty())
    {
        const auto note = [&names] (MshObject& c)
        {
            names.exact[c.name].push_back (&c);
            names.loose[looseKey (c.name)].push_back (&c);
        };

        if (anywhere)
            mshForEachObject (base->root, true, [&note] (MshObject& c, int, juce::int64, juce::int64) { note (c); });
        else
            for (auto* c = scope == nullptr ? &base->root : scope->firstChild.get(); c != nullptr; c = c->nextSibling.get())
                note (*c);
    }

    // The first one not yet taken of that name, else of a name an editor may have made this one from.
    const auto take = [this, &fits] (const std::vector<MshObject*>* candidates, bool exactly, const juce::String& written) -> MshObject*
    {
        if (candidates == nullptr)
            return nullptr;

        const auto free = std::find_if (candidates->begin(), candidates->end(), [&] (MshObject* c)
        {
            return index->found.count (c) == 0 && (exactly || editorMayWrite (c->name, written)) && fits (*c);
        });

        if (free == candidates->end())
            return nullptr;

        index->found.insert (*free);
        return *free;
    };
    const auto in = [] (auto& map, const juce::String& key) { const auto at = map.find (key); return at == map.end() ? nullptr : &at->second; };

    if (auto* c = take (in (names.exact, name), true, name))
        return c;

    if (auto* c = take (in (names.loose, looseKey (withoutCopyNumber (name))), false, name))
        return c;

    return isNodeNumber (withoutCopyNumber (name)) ? take (in (names.exact, juce::String()), false, name) : nullptr;
}

MshObject* ObjectMerge::baseOf (const MshObject* object) const
{
    const auto at = index->originals.find (object);
    return at == index->originals.end() ? nullptr : at->second;
}

Expected<MshObject*> ObjectMerge::add (ImportedObject& node, MshObject* parent, MshObject* original, std::array<double, 3> offset)
{
    auto*& tail = parent == nullptr ? index->topTail : index->tails[parent];

    if (tail == nullptr) // after the parts of a split mesh
        for (tail = &parent->firstChild; *tail != nullptr;)
            tail = &(*tail)->nextSibling;

    *tail = std::make_unique<MshObject>();
    auto& object = **tail;
    tail = &object.nextSibling;

    // Named as the file names it, unless that is what an editor made of the name it had.
    auto name = node.name;

    if (node.keptName.has_value() && editorMayWrite (*node.keptName, node.name))
        name = *node.keptName;
    else if (original != nullptr && editorMayWrite (original->name, node.name))
        name = original->name;

    if (const auto named = nameObject (object, name, report); ! named)
        return named.failure();

    if (node.isHp.has_value() && *node.isHp != object.isHp)
        report.warn (node.what + ": isHp " + (*node.isHp ? "true" : "false") + " in extras is not what its name says: an object is an HP when its name begins with \"hp_\"; rename it to change that");

    // What the file kept, else what the base has, else the defaults (and the material's two sides).
    object.flags = node.flags.value_or (original != nullptr ? original->flags : node.twoSided ? MshFlag::twoSided : 0u);
    object.valueA = node.valueA.value_or (original != nullptr ? original->valueA : 0);
    object.valueB = node.valueB.value_or (original != nullptr ? original->valueB : 0);
    object.matrix = node.matrix.has_value() ? *node.matrix : original != nullptr ? original->matrix : translationMatrix (0, 0, 0);

    if (node.translation.has_value())
        for (size_t i = 0; i < 3; ++i)
            if (! agrees (object.matrix[12 + i], (*node.translation)[i]))
                object.matrix[12 + i] = (*node.translation)[i];

    juce::uint32 changes = 0;

    if (original != nullptr)
    {
        const auto differs = [] (const float* a, const float* b, size_t n) { return std::memcmp (a, b, n * sizeof (float)) != 0; };
        changes |= object.flags != original->flags ? Change::flags : 0;
        changes |= object.valueA != original->valueA || object.valueB != original->valueB ? Change::values : 0;
        changes |= differs (object.matrix.data() + 12, original->matrix.data() + 12, 3) ? Change::translation : 0;
        changes |= differs (object.matrix.data(), original->matrix.data(), 12) || differs (object.matrix.data() + 15, original->matrix.data() + 15, 1) ? Change::matrix : 0;
        changes |= node.lists != nullptr && listsOf (*node.lists) != listsOf (*original) ? Change::lists : 0;
    }

    if (node.lists != nullptr)
        takeLists (object, *node.lists);
    else if (original != nullptr)
        takeLists (object, *original);

    // Geometry: the original's lists where the shape is the one exported, else as the file shows it.
    if (! node.geometry.has_value())
    {
        if (original != nullptr)
            takeGeometry (object, *original);
    }
    else if (node.rawGeometry != nullptr && showsSameShape (*node.rawGeometry, *node.geometry, offset))
    {
        changes |= original != nullptr && ! sameGeometry (*node.rawGeometry, *original) ? Change::geometry : 0;
        takeGeometry (object, *node.rawGeometry);
    }
    else if (original != nullptr && showsSameShape (*original, *node.geometry, offset))
    {
        takeGeometry (object, *original);
    }
    else
    {
        changes |= original != nullptr ? Change::geometry : 0;

        for (auto& p : node.geometry->positions)
            for (size_t i = 0; i < 3; ++i)
                p[i] = (float) ((double) p[i] - offset[i]);

        if (putGeometry (object, *node.geometry) > 1)
            report.warn (node.what + ": more than 65535 vertices, split into child objects");
    }

    node.geometry.reset();
    node.rawGeometry.reset();

    if (original != nullptr)
    {
        index->originals[&object] = original;
        index->found.insert (original);
    }

    const auto place = node.place.has_value() ? *node.place : original != nullptr ? index->placeInBase (original) : -1;
    index->made.push_back ({ &object, place, original, changes });
    return &object;
}

void ObjectMerge::finish()
{
    std::sort (index->made.begin(), index->made.end(), [] (const auto& a, const auto& b) { return a.object < b.object; });

    // Each chain of siblings in the order of their places, those without one after, as they came.
    const auto sortChain = [this] (std::unique_ptr<MshObject>& first)
    {
        std::vector<std::unique_ptr<MshObject>> chain;

        for (auto next = std::move (first); next != nullptr;)
        {
            auto following = std::move (next->nextSibling);
            chain.push_back (std::move (next));
            next = std::move (following);
        }

        const auto key = [this] (const std::unique_ptr<MshObject>& o)
        {
            const auto* made = index->find (o.get());
            return made != nullptr && made->place >= 0 ? made->place : std::numeric_limits<juce::int64>::max();
        };
        std::stable_sort (chain.begin(), chain.end(), [&key] (const auto& a, const auto& b) { return key (a) < key (b); });

        auto* link = &first;

        for (auto& o : chain)
        {
            *link = std::move (o);
            link = &(*link)->nextSibling;
        }
    };

    sortChain (index->top);

    if (index->top != nullptr) // a chain sorted, then its objects' children, down to the last
        mshForEachObject (*index->top, true, [&sortChain] (MshObject& o, int, juce::int64, juce::int64) { sortChain (o.firstChild); });

    if (base != nullptr)
    {
        // What changed against the base, in the order of the new file, then what is gone.
        static const std::pair<juce::uint32, const char*> words[] = { { Change::flags, "flags" }, { Change::values, "values" },
                                                                 { Change::translation, "translation" }, { Change::matrix, "matrix" },
                                                                 { Change::lists, "lists" }, { Change::geometry, "geometry" } };
        int unchanged = 0;

        if (index->top != nullptr)
        {
            mshForEachObject (*index->top, true, [&] (MshObject& o, int, juce::int64, juce::int64)
            {
                const auto* made = index->find (&o);

                if (made == nullptr) // a part of a split mesh
                    return;

                juce::StringArray what;
                for (const auto& [change, word] : words)
                    if ((made->changes & change) != 0)
                        what.add (word);

                if (made->original == nullptr)
                    report.changes.add ("new: " + printable (o.name));
                else if (what.isEmpty())
                    ++unchanged;
                else
                    report.changes.add ("changed: " + printable (o.name) + " (" + what.joinIntoString (", ") + ")");
            });
        }

        mshForEachObject (base->root, true, [this] (MshObject& o, int, juce::int64, juce::int64)
        {
            if (index->found.count (&o) == 0)
                report.changes.add ("deleted: " + printable (o.name));
        });

        report.changes.add ("unchanged: " + juce::String (unchanged) + (unchanged == 1 ? " object" : " objects"));

        // The file's own sections come from the base.
        mesh.headerLead = base->headerLead;
        mesh.headerString = base->headerString;
        mesh.headerBlock = base->headerBlock;
        mesh.headerGap = base->headerGap;
        mesh.headerFloat = base->headerFloat;
        mesh.headerInts = base->headerInts;
        mesh.list12A = std::move (base->list12A);
        mesh.list12B = std::move (base->list12B);
        mesh.list8 = std::move (base->list8);
        mesh.list4 = std::move (base->list4);
        mesh.list20 = std::move (base->list20);
        mesh.tripleEntries = std::move (base->tripleEntries);
        mesh.pairSets = std::move (base->pairSets);
        mesh.quadEntries = std::move (base->quadEntries);
        mesh.shortList = std::move (base->shortList);
        mesh.list16 = std::move (base->list16);
        mesh.list64 = std::move (base->list64);
        mesh.record36List = std::move (base->record36List);
        mesh.namedGroups = std::move (base->namedGroups);
        mesh.trailingBytes = std::move (base->trailingBytes);
    }

    // The first of the top chain is the model's root, the others its siblings.
    if (index->top != nullptr)
    {
        auto& first = *index->top;
        auto& root = mesh.root;
        root.name = first.name;
        root.valueA = first.valueA;
        root.valueB = first.valueB;
        root.flags = first.flags;
        root.matrix = first.matrix;
        root.isHp = first.isHp;
        takeLists (root, first);
        takeGeometry (root, first);
        root.firstChild = std::move (first.firstChild);
        root.nextSibling = std::move (first.nextSibling);
    }

    index->top.reset();
    index->made.clear();
    index->originals.clear();
}
