// Tolmar MSH Viewer - where the converters' outputs go, worked out and checked before anything is written.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include "exchange/MeshFormats.h"
#include "msh/Expected.h"

#include <optional>

struct PlannedOutput
{
    juce::File input, target;
    juce::Array<juce::File> files;   // everything written for this input, target last
    MeshFormat format = MeshFormat::glb;
};

struct OutputPlan
{
    std::vector<PlannedOutput> outputs;   // one per input, in order
    juce::File folderToMake;              // a folder -o names that is to be made first
};

// mshconvert's outputs. Without OUT each goes beside its input; an OUT that is an existing folder, ends in
// a separator or serves several inputs is a folder they go into (made when missing); else OUT is the
// file. The format is the one asked for; else the one OUT's extension names; else glb for a .msh and msh
// for a .glb, .gltf or .obj. Refused as bad usage (Failure::Kind::usage): an OUT file whose extension names
// no format written here, or another format than the one asked for. Refused: an OUT that is an existing
// file for several inputs, and everything checkOutputs refuses.
Expected<OutputPlan> planConversions (const juce::StringArray& inputs, const juce::String& output,
                                      std::optional<MeshFormat> format, const juce::File& workingDirectory);

// mshrender's picture: OUT, or INPUT's name with .png inside OUT when it is an existing folder.
Expected<OutputPlan> planPicture (const juce::String& input, const juce::String& output, const juce::File& workingDirectory);

// Refuses a file that is one of the inputs (by path or, through links, as the same file), or one that two
// outputs share.
Expected<void> checkOutputs (const std::vector<PlannedOutput>& outputs);
