// Tolmar MSH Viewer - one opened .msh file: its model, what it draws, the folder around it.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "MeshDocument.h"
#include "msh/MshReader.h"

Expected<MeshDocument::Loaded> MeshDocument::read (juce::File from, bool keepOnFailure)
{
    Loaded loaded;
    const auto started = juce::Time::getMillisecondCounterHiRes();

    // A load lets go of the old model first, so two big files are never held at once.
    if (! keepOnFailure)
        close();

    file = from;
    auto fresh = keepOnFailure ? std::make_shared<MshMesh>() : mesh;

    // The boxes of what is drawn are made while the load reads each object, and the totals from them.
    MshBoxesWhileLoading boxes;
    const auto read = mshLoadFile (*fresh, from, [&loaded] (const MshWarning& w) { loaded.warnings.push_back (w); }, boxes.handler());
    const auto made = boxes.finish();

    if (! read)
    {
        if (! keepOnFailure)
            mesh = std::make_shared<MshMesh>(); // not what was read up to the failure
        return read.failure();
    }

    mesh = std::move (fresh);
    totals = mshTotals (mesh->root, made);
    isOpen = true;
    loadMilliseconds = juce::Time::getMillisecondCounterHiRes() - started;
    return loaded;
}

Expected<MeshDocument::Loaded> MeshDocument::load (const juce::File& from)
{
    return read (from, false);
}

Expected<MeshDocument::Loaded> MeshDocument::reload()
{
    if (file == juce::File())
        return Failure { Failure::Kind::notFound, "no file" };

    return read (file, isOpen);
}

void MeshDocument::close()
{
    // A fresh model: the one before may still be drawn from.
    mesh = std::make_shared<MshMesh>();
    file = juce::File();
    isOpen = false;
    totals = {};
}

juce::StringArray MeshDocument::pathOf (const MshObject& object) const
{
    juce::StringArray names;

    for (const auto* step : mshAncestry (mesh->root, object))
        names.add (step->name);

    return names;
}

const MshObject* MeshDocument::find (const juce::StringArray& path) const
{
    return mshFindByNames (mesh->root, path);
}

MeshDocument::Step MeshDocument::neighbour (int direction) const
{
    // Folders and dangling links are listed too, so that they can be said to be passed over.
    auto entries = file.getParentDirectory().findChildFiles (juce::File::findFilesAndDirectories, false, "*.msh");
    const auto before = [] (const juce::File& a, const juce::File& b) { return a.getFileName().compareNatural (b.getFileName()) < 0; };
    std::sort (entries.begin(), entries.end(), before);
    entries.removeFirstMatchingValue (file);

    // Where this file's name stands in the folder, there or not.
    const auto place = (int) (std::lower_bound (entries.begin(), entries.end(), file, before) - entries.begin());
    Step step;

    for (auto i = direction > 0 ? place : place - 1; i >= 0 && i < entries.size(); i += direction > 0 ? 1 : -1)
    {
        if (entries[i].existsAsFile())
        {
            step.file = entries[i];
            break;
        }

        step.skipped.add (entries[i].getFileName());
    }

    return step;
}
