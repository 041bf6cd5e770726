// Tolmar MSH Viewer - objects read from another program's file, made whole again from what they kept of
// the .msh objects they were made from, or from the .msh file itself.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include "ImportGeometry.h"

#include <optional>

// What another program's file says of one object, and what our export kept of it there, where it did.
struct ImportedObject
{
    juce::String what;                                  // "node 3 \"turret\"", for messages
    juce::String name;                                  // as the file names it
    std::optional<std::array<float, 3>> translation;    // where the file places it under its parent (OBJ: none)
    std::optional<ImportedGeometry> geometry;           // in its own coordinates (OBJ: placed); none: the file
                                                        // cannot carry it, so the original's stays
    bool twoSided = false;                              // drawn on both sides, as its material says

    std::optional<juce::uint32> flags;
    std::optional<juce::int32> valueA, valueB;
    std::optional<bool> isHp;
    std::optional<juce::int64> place;                   // in the file it was exported from, depth first
    std::optional<juce::String> keptName;
    std::optional<std::array<float, 16>> matrix;
    std::unique_ptr<MshObject> lists;                   // list4, list16 and quad entries, where kept
    std::unique_ptr<MshObject> rawGeometry;             // vertices and indices, where kept
};

// True when an editor given the name original may have written it as written: Blender makes names
// unique with ".001" and the like, cuts them to 63 bytes and calls a nameless node "Node_0"; OBJ writers
// turn spaces into underscores.
bool editorMayWrite (const juce::String& original, const juce::String& written);

// Builds a model from imported objects, each given with its parent and the base object it stands for,
// if any. Each object gets what the file says of it (its name, placement and edited geometry); what the
// file does not say comes from what the object kept in the file, else from its base object, else the
// defaults. Geometry whose shape is the original's (see showsSameShape) gets the original lists back. A
// base, when given, is the file the edited one was made from: its lists are moved into the model as they
// are taken, and the report tells each change against it, one line each.
class ObjectMerge final
{
public:
    ObjectMerge (MshMesh& mesh, MshMesh* base, ImportReport& report);
    ~ObjectMerge();

    // The base object a node of this name stands for among the children of baseParent (the root and its
    // siblings for nullptr), or nullptr. Each base object is found once at most.
    MshObject* findInBase (const MshObject* baseParent, const juce::String& name);

    // The first base object not yet found, anywhere in the base in file order, that a file without
    // hierarchy may call name and that fits; nullptr when none.
    MshObject* findAnywhereInBase (const juce::String& name, const std::function<bool (const MshObject&)>& fits);

    // The base object an object of the model was made from, or nullptr.
    MshObject* baseOf (const MshObject* object) const;

    // Makes the object of node, after the children parent has so far (nullptr: after the root and its
    // siblings). offset is where the original's vertices go in the node's coordinates (OBJ's are placed).
    // A failure when the node cannot be an object.
    Expected<MshObject*> add (ImportedObject& node, MshObject* parent, MshObject* original, std::array<double, 3> offset = { 0, 0, 0 });

    // Puts the siblings of every object in their places in the file (new ones after them, in the order
    // they came), gives the model its root, and tells the changes against the base.
    void finish();

private:
    MshObject* find (const MshObject* scope, const juce::String& name, const std::function<bool (const MshObject&)>& fits, bool anywhere = false);

    struct Index;
    std::unique_ptr<Index> index;
    MshMesh& mesh;
    MshMesh* const base;
    ImportReport& report;
};
