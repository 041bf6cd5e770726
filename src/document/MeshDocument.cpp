// Tolmar MSH Viewer - one opened .msh file: its model, what it draws, the selection, the folder around it.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "MeshDocument.h"

MeshDocument::LoadResult MeshDocument::read (const juce::File& from)
{
    LoadResult result;
    const auto started = juce::Time::getMillisecondCounterHiRes();
    close();

    // The boxes of what is drawn are made while the load reads each object, and the totals from them.
    MshBoxesWhileLoading boxes;
    result.loaded = mesh->loadFromFile (from, [&result] (const MshWarning& w) { result.warnings.push_back (w); }, boxes.handler());
    const auto made = boxes.finish();

    if (! result.loaded)
    {
        result.error = mesh->getLoadError();
        return result;
    }

    totals = mshTotals (mesh->root, made);
    file = from;
    loaded = true;
    loadMilliseconds = juce::Time::getMillisecondCounterHiRes() - started;
    return result;
}

MeshDocument::LoadResult MeshDocument::load (const juce::File& from)
{
    return read (from);
}

MeshDocument::LoadResult MeshDocument::reload()
{
    if (! loaded)
        return { false, "no file", {} };

    const auto path = selected != nullptr ? pathOf (*selected) : juce::StringArray();
    auto result = read (juce::File (file));

    if (result.loaded)
        select (find (path));

    return result;
}

void MeshDocument::close()
{
    // A fresh model: the one before may still be drawn from.
    mesh = std::make_shared<MshMesh>();
    file = juce::File();
    loaded = false;
    totals = {};
    selected = nullptr;
}

void MeshDocument::select (const MshObject* object)
{
    if (selected != nullptr)
        selected->selected = false;

    // The document's own model: what it hands out as const it owns.
    selected = const_cast<MshObject*> (object);

    if (selected != nullptr)
        selected->selected = true;
}

void MeshDocument::setMark (const MshObject& object, bool isSelected)
{
    if (isSelected)
        select (&object);
    else if (&object == selected)
        select (nullptr);
    else
        const_cast<MshObject&> (object).selected = false;
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
