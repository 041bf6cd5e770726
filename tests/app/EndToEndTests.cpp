// Tolmar MSH Viewer - the real program on a real (virtual) display, driven with xdotool: the wiring that
// only the whole program shows (start-up with a file, the boxes, the title, "Load MSH", quitting).
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "msh/TestSupport.h"

namespace
{
    juce::String xdotool (const juce::StringArray& arguments)
    {
        juce::ChildProcess process;
        juce::StringArray command { "xdotool" };
        command.addArray (arguments);
        return process.start (command, juce::ChildProcess::wantStdOut) ? process.readAllProcessOutput().trim() : juce::String();
    }

    juce::StringArray visibleWindows (const juce::String& namePattern)
    {
        auto ids = juce::StringArray::fromLines (xdotool ({ "search", "--onlyvisible", "--name", namePattern }));
        ids.removeEmptyStrings();
        return ids;
    }

    // Polls until exactly the wanted number of visible windows match (30 seconds at most); the first one.
    juce::String waitForWindows (const juce::String& namePattern, int wanted = 1)
    {
        for (int tries = 0; tries < 300 && visibleWindows (namePattern).size() != wanted; ++tries)
            juce::Thread::sleep (100);
        return visibleWindows (namePattern)[0];
    }

    // Focuses a window, then presses keys in it.
    void key (const juce::String& window, const juce::String& keys)
    {
        xdotool ({ "windowactivate", "--sync", window });
        xdotool ({ "windowfocus", "--sync", window });
        xdotool ({ "key", "--clearmodifiers", keys });
    }

    // X, Y, WIDTH and HEIGHT of a window on the screen.
    juce::StringPairArray geometry (const juce::String& window)
    {
        juce::StringPairArray box;
        for (auto& line : juce::StringArray::fromLines (xdotool ({ "getwindowgeometry", "--shell", window })))
            box.set (line.upToFirstOccurrenceOf ("=", false, false), line.fromFirstOccurrenceOf ("=", false, false));
        return box;
    }

    // A click at a point of a window; negative coordinates count from the middle (x) or the bottom (y).
    void clickAt (const juce::String& window, int x, int y)
    {
        auto box = geometry (window);
        x = box["X"].getIntValue() + (x < 0 ? box["WIDTH"].getIntValue() / 2 : x);
        y = box["Y"].getIntValue() + (y < 0 ? box["HEIGHT"].getIntValue() + y : y);
        xdotool ({ "mousemove", "--sync", juce::String (x), juce::String (y) });
        xdotool ({ "click", "1" });
    }

    // The share of a screen area in the view's background colour, as ImageMagick's import sees it.
    double backgroundShare (int x, int y, int width, int height)
    {
        const juce::TemporaryFile shot (".rgb");
        juce::ChildProcess import;
        import.start (juce::StringArray { "import", "-window", "root", "-crop", juce::String (width) + "x" + juce::String (height) + "+" + juce::String (x) + "+" + juce::String (y),
                                          "-depth", "8", "rgb:" + shot.getFile().getFullPathName() });
        import.waitForProcessToFinish (20000);
        juce::MemoryBlock rgb;
        shot.getFile().loadFileAsData (rgb);
        int count = 0;
        for (size_t i = 0; i + 2 < rgb.getSize(); i += 3)
            count += std::abs ((int) (juce::uint8) rgb[i] - 204) <= 2 && (juce::uint8) rgb[i + 1] <= 2 && std::abs ((int) (juce::uint8) rgb[i + 2] - 102) <= 2;
        return rgb.getSize() == (size_t) (3 * width * height) ? (double) count / (width * height) : -1.0;
    }

    // Answers the next box with that title with Return; false when none came.
    bool answer (const juce::String& title)
    {
        const auto box = waitForWindows ("^" + title + "$");
        if (box.isEmpty())
            return false;
        key (box, "Return");
        return waitForWindows ("^" + title + "$", 0).isEmpty();
    }
}

TEST (EndToEnd, StartedWithAFileItShowsTheBoxThenTheWindowLoadsThroughLoadMshPaintsBehindTheBoxAndQuits)
{
    ScratchFolder scratch;
    const auto& folder = scratch.folder;
    scratch.write ("e2e sample.msh", sampleFileBytes());
    scratch.write ("second.msh", sampleFileBytes ([] (const MshObject& o) { return o.name == "cabin" ? 0u : MshMarker::objectEnd; }));

    // Started from its folder with the name unquoted: two arguments that make one relative file name. The
    // information box comes before the window.
    juce::ChildProcess viewer;
    ASSERT_TRUE (viewer.start (juce::StringArray { "sh", "-c", "cd \"$0\" && exec \"$1\" e2e sample.msh",
                                                   folder.getFullPathName(), VIEWER_PATH }, 0));
    ASSERT_TRUE (waitForWindows ("^Information v 0\\.2\\.1$").isNotEmpty());
    EXPECT_TRUE (visibleWindows ("^Tolmar MSH Viewer").isEmpty());
    ASSERT_TRUE (answer ("Information v 0\\.2\\.1"));
    const auto window = waitForWindows ("^Tolmar MSH Viewer - e2e sample\\.msh$");
    ASSERT_TRUE (window.isNotEmpty());

    // "Load MSH", then in JUCE's own chooser (there is no other here) the path in its "file:" box: Return
    // selects the file, a second Return opens it.
    clickAt (window, 5 + 660 + 37, 33 + 5 + 12);
    const auto chooser = waitForWindows ("^Please select the \\.msh you want to load\\.\\.\\.$");
    ASSERT_TRUE (chooser.isNotEmpty());
    clickAt (chooser, -1, -64);
    xdotool ({ "type", "--delay", "5", folder.getChildFile ("second.msh").getFullPathName() });
    key (chooser, "Return");
    key (chooser, "Return");

    // Behind the boxes the window is painted again where the chooser was: below the "WARNING" box the view
    // shows its background (no mesh while the file is read), behind the information box the new mesh.
    auto box = geometry (window);
    const auto viewX = box["X"].getIntValue() + 5 + 260, viewY = box["Y"].getIntValue() + 33 + 35;
    const auto waitForShare = [&] (const juce::String& title, int top, double low, double high)
    {
        double share = -1;
        if (waitForWindows ("^" + title + "$").isNotEmpty())
            for (int tries = 0; tries < 30 && ! (share >= low && share <= high); ++tries, juce::Thread::sleep (100))
                share = backgroundShare (viewX, viewY + top, 480, 472 - top);
        return share;
    };
    const auto belowWarning = waitForShare ("WARNING", 320, 0.99, 1.0);
    EXPECT_GE (belowWarning, 0.99);
    ASSERT_TRUE (answer ("WARNING"));
    const auto behindInformation = waitForShare ("Information v 0\\.2\\.1", 0, 0.5, 0.97);
    EXPECT_TRUE (behindInformation > 0.5 && behindInformation < 0.97) << behindInformation;
    ASSERT_TRUE (answer ("Information v 0\\.2\\.1"));
    EXPECT_TRUE (waitForWindows ("^Tolmar MSH Viewer - second\\.msh$").isNotEmpty());

    // F12 puts a picture of the view beside the file; Ctrl+Q quits with status 0.
    key (window, "F12");
    for (int tries = 0; tries < 100 && ! folder.getChildFile ("second-1.png").existsAsFile(); ++tries)
        juce::Thread::sleep (100);
    EXPECT_TRUE (folder.getChildFile ("second-1.png").existsAsFile());

    key (window, "ctrl+q");
    EXPECT_TRUE (viewer.waitForProcessToFinish (15000));
    EXPECT_EQ (0u, viewer.getExitCode());

    if (viewer.isRunning())
        viewer.kill();
}
