// Tolmar MSH Viewer - a reader's warning in words, as the tools print it and the viewer's box lists it.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "WarningText.h"

namespace
{
    juce::String hex8 (juce::uint32 value)
    {
        return "0x" + juce::String::toHexString ((juce::int64) value).paddedLeft ('0', 8);
    }
}

juce::String mshWarningText (const MshWarning& warning)
{
    if (warning.kind == MshWarning::Kind::import)
        return warning.message;

    const auto fileEnd = warning.kind == MshWarning::Kind::fileEnd;
    return (fileEnd ? juce::String ("file end marker") : "end marker of object \"" + warning.objectName + "\"")
         + " at byte " + juce::String (warning.offset) + " reads " + hex8 (warning.found) + ", expected "
         + hex8 (fileEnd ? MshMarker::fileEnd : MshMarker::objectEnd);
}
