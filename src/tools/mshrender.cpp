// Tolmar MSH Viewer - mshrender: a picture of a .msh file with no window, the view's own drawing.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "PngFiles.h"
#include "msh/MshGeometry.h"
#include "view/MeshDrawing.h"
#include "view/OffscreenGL.h"

#include <iostream>

namespace
{
    const char* const usageText =
        "usage: mshrender [--size N|WxH] [--camera fit|file] [--transparent] FILE.msh OUT.png\n"
        "  Draws FILE as the viewer does, without a display, and writes OUT.png.\n"
        "  --size         pixels, N × N or W × H (default 512, at most 8192)\n"
        "  --camera fit   everything drawn, framed at a three-quarter view (default)\n"
        "  --camera file  the viewer's start camera, from the file's header\n"
        "  --transparent  no background colour\n"
        "exit status: 0 written, 2 not loaded (no picture), 3 no picture could be made, 64 bad usage\n";

    int usage (const juce::String& message)
    {
        std::cerr << "mshrender: " << message << "\n" << usageText;
        return 64;
    }
}

int main (int argc, char* argv[])
{
    int width = 512, height = 512;
    bool fit = true, transparent = false;
    juce::StringArray files;

    for (int i = 1; i < argc; ++i)
    {
        const juce::String argument = juce::CharPointer_UTF8 (argv[i]);
        const juce::String value = i + 1 < argc ? juce::String (juce::CharPointer_UTF8 (argv[i + 1])) : juce::String();

        if (argument == "--help")
            return (std::cout << usageText).good() ? 0 : 1;

        if (argument == "--size" && value.containsOnly ("0123456789x") && value.isNotEmpty())
        {
            width = value.upToFirstOccurrenceOf ("x", false, false).getIntValue();
            height = value.contains ("x") ? value.fromFirstOccurrenceOf ("x", false, false).getIntValue() : width;
            ++i;
        }
        else if (argument == "--camera" && (value == "fit" || value == "file"))
        {
            fit = value == "fit";
            ++i;
        }
        else if (argument == "--transparent")
            transparent = true;
        else if (argument.startsWith ("--"))
            return usage ("bad option " + argument + (value.isNotEmpty() ? " " + value : juce::String()));
        else
            files.add (argument);
    }

    if (files.size() != 2)
        return usage ("give one FILE.msh and one OUT.png");

    if (width < 1 || height < 1 || width > 8192 || height > 8192)
        return usage ("a size from 1 to 8192 pixels a side");

    const auto cwd = juce::File::getCurrentWorkingDirectory();
    MshMesh mesh;

    if (! mesh.loadFromFile (cwd.getChildFile (files[0]), [&files] (const MshWarning& w)
        {
            std::cerr << "mshrender: " << files[0] << ": warning: wrong end marker at byte " << w.offset << "\n";
        }))
    {
        std::cerr << "mshrender: " << files[0] << ": " << mesh.getLoadError() << "\n";
        return 2;
    }

    OffscreenGL gl (width, height);

    if (! gl.error().empty())
    {
        std::cerr << "mshrender: " << gl.error() << "\n";
        return 3;
    }

    ViewCamera camera;
    const auto totals = mshTotals (mesh.root, true);

    if (fit && ! totals.bounds.empty)
    {
        // Turned a little from the front and seen a little from above.
        camera.rotation = { 25.0f, -35.0f, 0.0f };
        camera.frame (totals.bounds.centre(), totals.bounds.radius(), (double) width / height);
    }
    else if (! fit)
    {
        camera.placeFromHeader (mesh.headerWord (0), mesh.headerWord (18), mesh.headerWord (19));
    }

    renderFrame (camera, &mesh.root, width, height);
    auto pixels = readFramePixels (width, height);

    // The frame's alpha is what blending left: opaque objects where drawn, nothing or the background.
    for (size_t i = 3; i < pixels.size(); i += 4)
        pixels[i] = transparent && pixels[i] == 0 ? 0 : 255;

    if (! writePngFile (cwd.getChildFile (files[1]), pixels.data(), width, height, 4))
    {
        std::cerr << "mshrender: cannot write " << files[1] << "\n";
        return 3;
    }

    return 0;
}
