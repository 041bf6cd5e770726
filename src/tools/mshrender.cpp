// Tolmar MSH Viewer - mshrender: a picture of a .msh file with no window, the view's own drawing.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "OutputPlan.h"
#include "exchange/PngFiles.h"
#include "ToolArguments.h"
#include "msh/MshGeometry.h"
#include "msh/MshReader.h"
#include "drawing/MeshDrawing.h"
#include "offscreen/OffscreenGL.h"

#include <iostream>

namespace
{
    const char* const usageText =
        "usage: mshrender [--size N|WxH] [--camera fit|file] [--transparent] [--] FILE.msh OUT.png\n"
        "  Draws FILE as the viewer does, without a display, and writes OUT.png (or FILE's name with .png\n"
        "  inside OUT when it is a folder), whole or not at all.\n"
        "  --size         pixels, N × N or W × H (default 512, at most 8192)\n"
        "  --camera fit   everything drawn, framed at a three-quarter view (default)\n"
        "  --camera file  the viewer's start camera, from the file's header\n"
        "  --transparent  no background colour\n"
        "  --help         this text;  --version  the version\n"
        "exit status: 0 written, 2 not loaded (no picture), 3 no picture could be made or written, 64 bad usage\n";
}

int main (int argc, char* argv[])
{
    standardOutputWasOpen();
    int width = 512, height = 512;
    bool fit = true, transparent = false;

    const auto line = readCommandLine (argc, argv, "mshrender", usageText, {
        { "--size", true, [&] (const juce::String& value) -> Expected<void>
          {
              const auto w = parseWholeNumber (value.upToFirstOccurrenceOf ("x", false, false), 1, 8192);
              const auto h = value.contains ("x") ? parseWholeNumber (value.fromFirstOccurrenceOf ("x", false, false), 1, 8192) : w;

              if (! w.has_value() || ! h.has_value())
                  return badValue ("N or WxH, from 1 to 8192 pixels a side");

              width = (int) *w;
              height = (int) *h;
              return {};
          } },
        { "--camera", true, [&fit] (const juce::String& value) -> Expected<void>
          {
              fit = value == "fit";

              if (value != "fit" && value != "file")
                  return badValue ("fit or file");

              return {};
          } },
        { "--transparent", false, [&transparent] (const juce::String&) { transparent = true; return Expected<void>(); } } });

    if (line.exitStatus.has_value())
        return *line.exitStatus;

    const auto& files = line.operands;

    if (files.size() != 2)
    {
        std::cerr << "mshrender: give one FILE.msh and one OUT.png\n" << usageText;
        return usageStatus;
    }

    const auto plan = planPicture (files[0], files[1], juce::File::getCurrentWorkingDirectory());

    if (! plan)
    {
        std::cerr << "mshrender: " << plan.message() << "\n";
        return 3;
    }

    MshMesh mesh;

    if (const auto loaded = mshLoadFile (mesh, plan->outputs[0].input, [&files] (const MshWarning& w)
        {
            std::cerr << "mshrender: " << files[0] << ": warning: wrong end marker at byte " << w.offset << "\n";
        }); ! loaded)
    {
        std::cerr << "mshrender: " << files[0] << ": " << loaded.message() << "\n";
        return 2;
    }

    const auto gl = OffscreenGL::make (width, height);

    if (! gl)
    {
        std::cerr << "mshrender: " << gl.message() << "\n";
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

    if (const auto written = writePngFile (plan->outputs[0].target, pixels.data(), width, height, 4); ! written)
    {
        std::cerr << "mshrender: " << written.message() << "\n";
        return 3;
    }

    return 0;
}
