// Tolmar MSH Viewer - the real program on a real (virtual) display, driven with xdotool as a new user would.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "msh/MshWriter.h"
#include "tools/SampleMeshes.h"

#include <gtest/gtest.h>

namespace
{
    struct Box { int x = 0, y = 0, width = 0, height = 0; };

    juce::String run (const juce::StringArray& command)
    {
        juce::ChildProcess process;
        return process.start (command, juce::ChildProcess::wantStdOut) ? process.readAllProcessOutput().trim() : juce::String();
    }

    juce::String xdotool (juce::StringArray arguments)
    {
        arguments.insert (0, "xdotool");
        return run (arguments);
    }

    juce::StringArray visibleWindows (const juce::String& namePattern)
    {
        auto ids = juce::StringArray::fromLines (xdotool ({ "search", "--onlyvisible", "--name", namePattern }));
        ids.removeEmptyStrings();
        return ids;
    }

    // The first visible window whose name matches, waiting for it up to 30 seconds.
    juce::String waitForWindow (const juce::String& namePattern)
    {
        for (int tries = 0; tries < 300 && visibleWindows (namePattern).isEmpty(); ++tries)
            juce::Thread::sleep (100);
        return visibleWindows (namePattern)[0];
    }

    Box geometry (const juce::String& window)
    {
        juce::StringPairArray values;
        for (auto& line : juce::StringArray::fromLines (xdotool ({ "getwindowgeometry", "--shell", window })))
            values.set (line.upToFirstOccurrenceOf ("=", false, false), line.fromFirstOccurrenceOf ("=", false, false));
        return { values["X"].getIntValue(), values["Y"].getIntValue(), values["WIDTH"].getIntValue(), values["HEIGHT"].getIntValue() };
    }

    // The screen as ImageMagick's import sees it, 8-bit binary PPM: "P6\n<w> <h>\n255\n", then RGB rows.
    struct Screen
    {
        Screen()
        {
            const auto file = juce::File::createTempFile (".ppm");
            run ({ "import", "-window", "root", "-depth", "8", file.getFullPathName() });
            file.loadFileAsData (data);
            file.deleteFile();
            const auto header = juce::StringArray::fromTokens (juce::String::fromUTF8 ((const char*) data.getData(), (int) juce::jmin<size_t> (data.getSize(), 32)), " \n", "");
            width = header[1].getIntValue();
            offset = header[0].length() + header[1].length() + header[2].length() + header[3].length() + 4;
            if (header[0] != "P6" || header[3] != "255" || data.getSize() < (size_t) (offset + 3 * width * header[2].getIntValue()))
                width = 0;
        }

        // Pixels in the box within tolerance of a colour, or (tolerance < 0) dark grey ones: black text.
        int count (Box box, int r, int g, int b, int tolerance) const
        {
            int n = 0;
            for (int y = box.y; y < box.y + box.height; ++y)
                for (int x = box.x; x < box.x + box.width; ++x)
                {
                    const auto* p = (const juce::uint8*) data.getData() + offset + 3 * (y * width + x);
                    const auto high = juce::jmax (p[0], p[1], p[2]), low = juce::jmin (p[0], p[1], p[2]);
                    n += tolerance < 0 ? (high < 120 && high - low < 30)
                                       : (std::abs (p[0] - r) <= tolerance && std::abs (p[1] - g) <= tolerance && std::abs (p[2] - b) <= tolerance);
                }
            return n;
        }

        int background (Box box) const   { return count (box, 204, 0, 102, 2); }
        int treeBlue (Box box) const     { return count (box, 173, 216, 230, 2); }

        juce::MemoryBlock data;
        int width = 0, offset = 0;
    };

    void key (const juce::String& window, const juce::String& keys)
    {
        xdotool ({ "windowfocus", "--sync", window });
        xdotool ({ "key", keys });
    }

    void clickAt (int x, int y, int button = 1)
    {
        xdotool ({ "mousemove", "--sync", juce::String (x), juce::String (y) });
        xdotool ({ "click", juce::String (button) });
    }

    // "Load MSH" opens JUCE's own chooser here (there is no zenity or kdialog).
    juce::String openChooser (Box window)
    {
        clickAt (window.x + 5 + 660 + 37, window.y + 33 + 5 + 12);
        return waitForWindow ("^Please select the \\.msh you want to load\\.\\.\\.$");
    }
}

TEST (EndToEnd, ANewUserOpensAMeshLooksAtItAndQuits)
{
    const auto folder = juce::File::createTempFile ("e2e");
    folder.createDirectory();
    MshMesh mesh;
    buildSampleMesh (mesh);
    ASSERT_TRUE (mshWriteToFile (mesh, folder.getChildFile ("e2e sample.msh")));
    const auto bad = folder.getChildFile ("bad.msh");
    ASSERT_TRUE (bad.create());

    // Started from its folder with the name unquoted: two arguments that make one relative file name.
    juce::ChildProcess viewer;
    ASSERT_TRUE (viewer.start (juce::StringArray { "sh", "-c", "cd \"$0\" && exec \"$1\" e2e sample.msh",
                                                   folder.getFullPathName(), VIEWER_PATH }, 0));

    // The information box comes first, the window only once it is closed.
    const auto information = waitForWindow ("^Information v 0\\.2\\.1$");
    ASSERT_TRUE (information.isNotEmpty());
    EXPECT_TRUE (visibleWindows ("^Tolmar MSH Viewer").isEmpty());
    key (information, "Return");

    const auto window = waitForWindow ("^Tolmar MSH Viewer - e2e sample\\.msh$");
    ASSERT_TRUE (window.isNotEmpty());
    const auto box = geometry (window);
    EXPECT_EQ (750, box.width);
    EXPECT_EQ (550, box.height);
    const auto screen = juce::StringArray::fromTokens (xdotool ({ "getdisplaygeometry" }), " ", "");
    EXPECT_EQ ((screen[0].getIntValue() - 750) / 2, box.x);
    EXPECT_EQ ((screen[1].getIntValue() - 550) / 2, box.y);
    juce::Thread::sleep (700);

    // The view shows the mesh on its background; the tree shows the root row in black on light blue.
    const Box view { box.x + 5 + 260, box.y + 33 + 35, 480, 472 };
    const Box firstRow { box.x + 5 + 20, box.y + 33 + 35, 230, 20 };
    const Box belowFirstRow { box.x + 5 + 40, box.y + 33 + 35 + 24, 40, 10 };
    {
        Screen shot;
        ASSERT_GT (shot.width, 0) << "no screenshot";
        const auto backgroundPixels = shot.background (view);
        EXPECT_GT (backgroundPixels, view.width * view.height / 2);
        EXPECT_GT (view.width * view.height - backgroundPixels, 3000) << "mesh pixels";
        EXPECT_GT (shot.count (firstRow, 0, 0, 0, -1), 20) << "the root row's name";
        EXPECT_EQ (belowFirstRow.width * belowFirstRow.height, shot.treeBlue (belowFirstRow));
    }

    // A right-click on the root row opens the flags menu over the tree; Escape closes it again.
    clickAt (box.x + 5 + 35, box.y + 33 + 35 + 10, 3);
    juce::Thread::sleep (700);
    {
        Screen shot;
        EXPECT_LT (shot.treeBlue (belowFirstRow), belowFirstRow.width * belowFirstRow.height / 4)
            << "the menu covers the tree below the row";
    }
    xdotool ({ "key", "Escape" });
    juce::Thread::sleep (500);
    {
        Screen shot;
        EXPECT_EQ (belowFirstRow.width * belowFirstRow.height, shot.treeBlue (belowFirstRow));
    }

    // "Load MSH", then Cancel: nothing changes.
    auto chooser = openChooser (box);
    ASSERT_TRUE (chooser.isNotEmpty());
    auto dialog = geometry (chooser);
    clickAt (dialog.x + dialog.width - 146, dialog.y + dialog.height - 26); // "Cancel"
    juce::Thread::sleep (700);
    EXPECT_EQ (0, visibleWindows ("^Please select").size());
    EXPECT_EQ (0, visibleWindows ("^ERROR$").size());
    EXPECT_EQ (1, visibleWindows ("^Tolmar MSH Viewer - e2e sample\\.msh$").size());

    // "Load MSH" with a file that is not a mesh: one "ERROR" box, then the empty view.
    chooser = openChooser (box);
    ASSERT_TRUE (chooser.isNotEmpty());
    dialog = geometry (chooser);
    clickAt (dialog.x + dialog.width / 2, dialog.y + dialog.height - 64); // the "file:" box
    xdotool ({ "type", "--delay", "5", bad.getFullPathName() });
    xdotool ({ "key", "Return" });                                      // goes to the folder, keeps the name
    juce::Thread::sleep (300);
    clickAt (dialog.x + dialog.width - 56, dialog.y + dialog.height - 26); // "Open"

    const auto error = waitForWindow ("^ERROR$");
    ASSERT_TRUE (error.isNotEmpty());
    EXPECT_EQ (1, visibleWindows ("^ERROR$").size());
    key (error, "Return");
    juce::Thread::sleep (1000);
    EXPECT_EQ (0, visibleWindows ("^ERROR$").size()) << "the box comes once";
    EXPECT_EQ (1, visibleWindows ("^Tolmar MSH Viewer$").size());
    {
        Screen shot;
        EXPECT_EQ (view.width * view.height, shot.background (view)) << "background only";
    }

    // Escape leaves the window open; Alt+F4 quits with status 0.
    key (window, "Escape");
    juce::Thread::sleep (500);
    EXPECT_TRUE (viewer.isRunning());
    EXPECT_EQ (1, visibleWindows ("^Tolmar MSH Viewer$").size());

    key (window, "alt+F4");
    EXPECT_TRUE (viewer.waitForProcessToFinish (15000));
    EXPECT_EQ (0u, viewer.getExitCode());

    if (viewer.isRunning())
        viewer.kill();

    folder.deleteRecursively();
}
