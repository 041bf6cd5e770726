// Tolmar MSH Viewer - what the view tells about itself: the information overlay and where pictures go.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "ViewInfo.h"
#include "exchange/PngFiles.h"

namespace
{
    // 1234567 as "1,234,567".
    juce::String withThousands (juce::uint64 n)
    {
        auto digits = juce::String (n);

        for (auto at = digits.length() - 3; at > 0; at -= 3)
            digits = digits.substring (0, at) + "," + digits.substring (at);

        return digits;
    }

    juce::String countOf (juce::uint64 n, const char* one, const char* many)
    {
        return withThousands (n) + " " + (n == 1 ? one : many);
    }

    juce::String counts (const MshTotals& t)
    {
        return countOf (t.vertices, "vertex", "vertices") + ", " + countOf (t.trianglesDrawn, "triangle", "triangles") + " drawn, "
             + withThousands (t.trianglesLeftOut) + " left out";
    }

    juce::String size (const MshBounds& b)
    {
        if (b.empty)
            return "nothing drawn";

        const auto s = b.size();
        return juce::String (s[0], 3) + " x " + juce::String (s[1], 3) + " x " + juce::String (s[2], 3);
    }
}

juce::StringArray overlayLines (const OverlayFacts& facts)
{
    juce::StringArray lines { facts.fileName,
                              countOf (facts.totals.objects, "object", "objects") + ", " + counts (facts.totals),
                              "size " + size (facts.totals.bounds),
                              "loaded in " + juce::String (facts.loadMilliseconds, 1) + " ms, last frame "
                                  + juce::String (facts.frameMilliseconds, 1) + " ms" };

    if (facts.selected != nullptr)
    {
        MshTotals own;
        own.vertices = facts.selected->vertices.size();
        own.trianglesLeftOut = mshForEachDrawableTriangle (*facts.selected, [&own] (auto&, auto&, auto&) { ++own.trianglesDrawn; });
        lines.add ("selected \"" + facts.selected->name + "\": " + counts (own));
    }

    return lines;
}

juce::File nextPictureFile (const juce::File& meshFile)
{
    for (int n = 1;; ++n)
    {
        const auto candidate = meshFile.getSiblingFile (meshFile.getFileNameWithoutExtension() + "-" + juce::String (n) + ".png");

        if (! candidate.exists())
            return candidate;
    }
}

juce::String savePictureBeside (const juce::File& meshFile, std::vector<juce::uint8> rgba, int width, int height)
{
    // As on screen: opaque, whatever alpha blending left in the frame.
    for (size_t i = 3; i < rgba.size(); i += 4)
        rgba[i] = 255;

    const auto target = nextPictureFile (meshFile);
    const auto written = writePngFile (target, rgba.data(), width, height, 4);
    return written ? "Saved " + target.getFullPathName() : "Could not save the picture: " + written.message();
}

MshBounds framedBounds (const MshObject& root, const MshObject* selected, const MshBounds& everything)
{
    if (selected != nullptr)
        if (const auto base = mshParentPlacement (root, *selected))
            if (const auto own = mshTotals (*selected, false, *base).bounds; ! own.empty)
                return own;

    return everything;
}
