// Tolmar MSH Viewer - a mesh written in any of the formats the tools write.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "MeshExport.h"
#include "GltfExport.h"
#include "ObjExport.h"
#include "msh/MshWriter.h"

Expected<void> exportMesh (const MshMesh& mesh, const juce::File& target, MeshFormat format)
{
    switch (format)
    {
        case MeshFormat::msh:  return mshWriteToFile (mesh, target);
        case MeshFormat::glb:  return writeGltf (mesh, target, true);
        case MeshFormat::gltf: return writeGltf (mesh, target, false);
        case MeshFormat::obj:  return writeObj (mesh, target);
    }

    return Failure { Failure::Kind::usage, "no such format" };
}
