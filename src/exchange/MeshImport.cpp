// Tolmar MSH Viewer - glTF 2.0 and Wavefront OBJ read into the mesh model, to be written as .msh.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "MeshImport.h"
#include "ImportGeometry.h"
#include "msh/FileSystem.h"

bool isImportable (const juce::File& file)
{
    return file.hasFileExtension ("glb;gltf;obj");
}

ImportOutcome importMesh (const juce::File& source, MshMesh& mesh, MshMesh* base)
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

    // Nothing that is no regular file is opened: a FIFO would make tinygltf wait for a writer.
    FileSystem::Info info;
    ImportOutcome outcome;

    if (const auto looked = FileSystem::lookUp (source, true, info); looked.failed())
        outcome.error = "cannot open: " + looked.getErrorMessage();
    else if (info.kind != FileSystem::Info::Kind::regular)
        outcome.error = info.kind == FileSystem::Info::Kind::missing ? "no such file"
                      : info.kind == FileSystem::Info::Kind::directory ? "is a directory" : "is not a regular file";
    else
        outcome = source.hasFileExtension ("obj") ? importObj (source, mesh, base) : importGltf (source, mesh, base);

    if (outcome.error.isNotEmpty())
        mesh.clear();

    return outcome;
}
