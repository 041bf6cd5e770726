// Tolmar MSH Viewer - an export reads the model and nothing more: the open document stays as it was.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "exchange/export/MeshExport.h"
#include "msh/TestSupport.h"

namespace
{
    class ExportOf : public ::testing::TestWithParam<MeshFormat> {};
}

TEST_P (ExportOf, LeavesTheModelAsItWas)
{
    // The hostile mesh has what the formats change on the way out: translations and corners that are no
    // number, normals of no length and too long, names with quotes and control characters.
    ScratchFolder scratch;
    MshMesh before, exported;
    buildHostileMesh (before);
    buildHostileMesh (exported);
    const auto target = scratch.folder.getChildFile (juce::String ("out") + extensionOf (GetParam()));
    ASSERT_EQ (juce::String(), failureOf (exportMesh (exported, target, GetParam())));
    EXPECT_TRUE (target.existsAsFile());
    EXPECT_TRUE (sameModel (before, exported));
}

INSTANTIATE_TEST_SUITE_P (Formats, ExportOf, ::testing::Values (MeshFormat::msh, MeshFormat::glb, MeshFormat::gltf, MeshFormat::obj),
                          [] (const auto& format) { return juce::String (extensionOf (format.param)).substring (1).toStdString(); });
