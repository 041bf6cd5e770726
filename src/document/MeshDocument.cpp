// Tolmar MSH Viewer - one opened .msh file: its model, what it draws, the folder around it.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "MeshDocument.h"
#include "msh/MshReader.h"

Expected<MeshDocument::Loaded> MeshDocument::read (juce::File from)
{
    Loaded loaded;
    const auto started = juce::Time::getMillisecondCounterHiRes();
    close();

    // The boxes of what is drawn are made while the load reads each object, and the totals from them.
    MshBoxesWhileLoading boxes;
    const auto read = mshLoadFile (*mesh, from, [&loaded] (const MshWarning& w) { loaded.warnings.push_back (w); }, boxes.handler());
    const auto made = boxes.finish();

    if (! read)
        return read.failure();

    totals = mshTotals (mesh->root, made);
    file = from;
    isOpen = true;
    loadMilliseconds = juce::Time::getMillisecondCounterHiRes() - started;
    return loaded;
}

Expected<MeshDocument::Loaded> MeshDocument::load (const juce::File& from)
{
    return read (from);
}

Expected<MeshDocument::Loaded> MeshDocument::reload()
{
    if (! isOpen)
        return Failure { Failure::Kind::notFound, "no file" };

    return read (file);
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

juce::File MeshDocument::neighbour (int step) const
{
    auto files = file.getParentDirectory().findChildFiles (juce::File::findFiles, false, "*.msh");
    std::sort (files.begin(), files.end(), [] (const juce::File& a, const juce::File& b)
    {
        return a.getFileName().compareNatural (b.getFileName()) < 0;
    });

    const auto index = files.indexOf (file);
    return index < 0 ? juce::File() : files[index + step];
}
