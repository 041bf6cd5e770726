// Tolmar MSH Viewer - glTF 2.0 and Wavefront OBJ read into the mesh model, to be written as .msh.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "MeshImport.h"
#include "ImportGeometry.h"

bool isImportable (const juce::File& file)
{
    return file.hasFileExtension ("glb;gltf;obj");
}

Expected<ImportReport> importMesh (const juce::File& source, MshMesh& mesh, MshMesh* base)
{
    // What another program's file does not say is 0, as in a fresh model.
    mesh.clear();
    mesh.headerBlock = {};
    mesh.headerFloat = 0;
    mesh.headerInts = {};
    mesh.root.valueA = mesh.root.valueB = 0;
    mesh.root.flags = 0;
    mesh.root.matrix = {};
    mesh.root.isHp = false;

    auto imported = source.hasFileExtension ("obj") ? importObj (source, mesh, base) : importGltf (source, mesh, base);

    if (! imported)
        mesh.clear();

    return imported;
}
