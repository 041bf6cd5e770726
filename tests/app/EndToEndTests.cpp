// Tolmar MSH Viewer - the real program on a real (virtual) display, driven with xdotool as a new user would.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "msh/MshWriter.h"
#include "tools/SampleMeshes.h"

#include <gtest/gtest.h>

namespace
{
    struct Box
    {
        int x = 0, y = 0, width = 0, height = 0;
    };

    juce::String run (const juce::StringArray& command)
    {
        juce::ChildProcess process;

        if (! process.start (command, juce::ChildProcess::wantStdOut))
            return {};

        auto output = process.readAllProcessOutput();
        process.waitForProcessToFinish (20000);
        return output;
    }

    juce::String xdotool (const juce::StringArray& arguments)
    {
        juce::StringArray command { "xdotool" };
        command.addArray (arguments);
        return run (command).trim();
    }

    // The first visible window whose name matches the pattern, waiting up to timeout milliseconds.
    juce::String waitForWindow (const juce::String& namePattern, int timeout = 30000)
    {
        const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) timeout;

        do
        {
            const auto ids = juce::StringArray::fromLines (xdotool ({ "search", "--onlyvisible", "--name", namePattern }));

            if (ids[0].isNotEmpty())
                return ids[0];

            juce::Thread::sleep (100);
        }
        while (juce::Time::getMillisecondCounter() < end);

        return {};
    }

    int countWindows (const juce::String& namePattern)
    {
        juce::StringArray ids;
        ids.addLines (xdotool ({ "search", "--onlyvisible", "--name", namePattern }));
        ids.removeEmptyStrings();
        return ids.size();
    }

    Box geometry (const juce::String& window)
    {
        Box box;
        for (auto& line : juce::StringArray::fromLines (xdotool ({ "getwindowgeometry", "--shell", window })))
        {
            const auto value = line.fromFirstOccurrenceOf ("=", false, false).getIntValue();
            if (line.startsWith ("X=")) box.x = value;
            if (line.startsWith ("Y=")) box.y = value;
            if (line.startsWith ("WIDTH=")) box.width = value;
            if (line.startsWith ("HEIGHT=")) box.height = value;
        }
        return box;
    }

    // The whole screen as ImageMagick's import sees it: raw RGB, top row first.
    struct Screen
    {
        Screen()
        {
            const auto file = juce::File::createTempFile (".ppm");
            run ({ "import", "-window", "root", "-depth", "8", file.getFullPathName() });
            juce::MemoryBlock data;
            file.loadFileAsData (data);
            file.deleteFile();

            // "P6\n<width> <height>\n255\n", then the pixels.
            const auto text = juce::String::fromUTF8 (static_cast<const char*> (data.getData()), (int) juce::jmin<size_t> (data.getSize(), 64));
            const auto header = juce::StringArray::fromTokens (text, " \n", "");
            if (header.size() < 4 || header[0] != "P6" || header[3] != "255")
                return;

            width = header[1].getIntValue();
            height = header[2].getIntValue();
            int newlines = 0;
            size_t offset = 0;
            while (offset < data.getSize() && newlines < 3)
                newlines += data[offset++] == '\n' ? 1 : 0;

            pixels.assign (static_cast<const juce::uint8*> (data.getData()) + offset,
                           static_cast<const juce::uint8*> (data.getData()) + data.getSize());

            if (pixels.size() < (size_t) width * (size_t) height * 3)
                width = height = 0;
        }

        // Pixels in the box whose colour passes the test.
        template <typename Test>
        int count (Box box, Test&& test) const
        {
            int n = 0;
            for (int y = juce::jmax (0, box.y); y < juce::jmin (height, box.y + box.height); ++y)
                for (int x = juce::jmax (0, box.x); x < juce::jmin (width, box.x + box.width); ++x)
                {
                    const auto* p = pixels.data() + ((size_t) y * (size_t) width + (size_t) x) * 3;
                    n += test (p[0], p[1], p[2]) ? 1 : 0;
                }
            return n;
        }

        int countNear (Box box, int r, int g, int b, int tolerance = 6) const
        {
            return count (box, [=] (int pr, int pg, int pb)
            {
                return std::abs (pr - r) <= tolerance && std::abs (pg - g) <= tolerance && std::abs (pb - b) <= tolerance;
            });
        }

        int width = 0, height = 0;
        std::vector<juce::uint8> pixels;
    };

    bool isDarkText (int r, int g, int b)
    {
        return juce::jmax (r, g, b) < 120 && juce::jmax (r, g, b) - juce::jmin (r, g, b) < 30;
    }

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

    // Runs the chooser that "Load MSH" opens (JUCE's own, as there is no zenity or kdialog here).
    juce::String openChooser (Box window)
    {
        clickAt (window.x + 5 + 660 + 37, window.y + 33 + 5 + 12); // the middle of "Load MSH"
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
    EXPECT_EQ (0, countWindows ("^Tolmar MSH Viewer"));
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

    ASSERT_GT (Screen().width, 0) << "no screenshot";

    // The view shows the mesh on its background; the tree shows the root row in black on light blue.
    const Box view { box.x + 5 + 260, box.y + 33 + 35, 480, 472 };
    const Box firstRow { box.x + 5 + 20, box.y + 33 + 35, 230, 20 };
    const Box belowFirstRow { box.x + 5 + 40, box.y + 33 + 35 + 24, 40, 10 };
    {
        Screen shot;
        const auto backgroundPixels = shot.countNear (view, 204, 0, 102, 2);
        EXPECT_GT (backgroundPixels, view.width * view.height / 2);
        EXPECT_GT (view.width * view.height - backgroundPixels, 3000) << "mesh pixels";
        EXPECT_GT (shot.count (firstRow, isDarkText), 20) << "the root row's name";
        EXPECT_EQ (belowFirstRow.width * belowFirstRow.height, shot.countNear (belowFirstRow, 173, 216, 230, 2));
    }

    // A right-click on the root row opens the flags menu over the tree; Escape closes it again.
    clickAt (box.x + 5 + 35, box.y + 33 + 35 + 10, 3);
    juce::Thread::sleep (700);
    {
        Screen shot;
        EXPECT_LT (shot.countNear (belowFirstRow, 173, 216, 230, 2), belowFirstRow.width * belowFirstRow.height / 4)
            << "the menu covers the tree below the row";
    }
    xdotool ({ "key", "Escape" });
    juce::Thread::sleep (500);
    {
        Screen shot;
        EXPECT_EQ (belowFirstRow.width * belowFirstRow.height, shot.countNear (belowFirstRow, 173, 216, 230, 2));
    }

    // "Load MSH", then Cancel: nothing changes.
    auto chooser = openChooser (box);
    ASSERT_TRUE (chooser.isNotEmpty());
    auto dialog = geometry (chooser);
    clickAt (dialog.x + dialog.width - 146, dialog.y + dialog.height - 26); // "Cancel"
    juce::Thread::sleep (700);
    EXPECT_EQ (0, countWindows ("^Please select"));
    EXPECT_EQ (0, countWindows ("^ERROR$"));
    EXPECT_EQ (1, countWindows ("^Tolmar MSH Viewer - e2e sample\\.msh$"));

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
    EXPECT_EQ (1, countWindows ("^ERROR$"));
    key (error, "Return");
    juce::Thread::sleep (1000);
    EXPECT_EQ (0, countWindows ("^ERROR$")) << "the box comes once";
    EXPECT_EQ (1, countWindows ("^Tolmar MSH Viewer$"));
    {
        Screen shot;
        EXPECT_EQ (view.width * view.height, shot.countNear (view, 204, 0, 102, 2)) << "background only";
    }

    // Escape leaves the window open; Alt+F4 quits with status 0.
    key (window, "Escape");
    juce::Thread::sleep (500);
    EXPECT_TRUE (viewer.isRunning());
    EXPECT_EQ (1, countWindows ("^Tolmar MSH Viewer$"));

    key (window, "alt+F4");
    EXPECT_TRUE (viewer.waitForProcessToFinish (15000));
    EXPECT_EQ (0u, viewer.getExitCode());

    if (viewer.isRunning())
        viewer.kill();

    folder.deleteRecursively();
}
