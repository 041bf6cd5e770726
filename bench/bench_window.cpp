// Tolmar MSH Viewer - how the real window answers with big files, under an X display. Prints numbers.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
//
// Run as scripts/with-display.sh build/bench/bench_window [folder [sample|wide|deep|heavy|huge]]. The files are written first by the
// same program in a child process, so their building does not count in this one's memory peak:
// - sample.msh: the bundled sample, for what the program takes with a small file;
// - wide.msh: a root with 200,000 children;
// - deep.msh: a chain 200,000 objects deep;
// - heavy.msh: 30,000 balls of 300 triangles each, 9,000,000 triangles;
// - huge.msh, only when asked for: 100,000 such balls, 30,000,000 triangles.
// Every input goes through the window's peer as the system delivers it. For each step it prints how long
// its handler ran, the longest the message thread went without answering from then until 400 ms later
// (a timer ticks every 5 ms), and the message thread's CPU time over that span.
#include "app/MainWindow.h"
#include "msh/MshWriter.h"
#include "msh/Version.h"
#include "samples/SampleMeshes.h"

#include <cstdio>
#include <ctime>
#include <fstream>

namespace
{
    double now()     { return juce::Time::getMillisecondCounterHiRes(); }
    void pump (int milliseconds) { juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds); }

    double threadCpuMs()
    {
        timespec t {};
        clock_gettime (CLOCK_THREAD_CPUTIME_ID, &t);
        return (double) t.tv_sec * 1e3 + (double) t.tv_nsec / 1e6;
    }

    double peakMegabytes()
    {
        std::ifstream status ("/proc/self/status");
        for (std::string line; std::getline (status, line);)
            if (line.rfind ("VmHWM:", 0) == 0)
                return std::stod (line.substr (6)) / 1024.0;
        return 0;
    }

    // Says why a file could not be written, and stops: a bench of a missing file measures nothing.
    void written (const Expected<void>& outcome)
    {
        if (outcome.ok())
            return;

        std::fprintf (stderr, "bench_window: %s\n", outcome.message().toRawUTF8());
        std::exit (1);
    }

    void writeBalls (const juce::File& file, int count)
    {
        MshMesh mesh;
        buildBallBlock (mesh, count);
        written (mshWriteToFile (mesh, file));
    }

    int writeFiles (const juce::File& folder, const juce::String& which)
    {
        if (which == "huge")
        {
            writeBalls (folder.getChildFile ("huge.msh"), 100'000);
            return 0;
        }

        MshMesh mesh;
        buildSampleMesh (mesh);
        written (mshWriteToFile (mesh, folder.getChildFile ("sample.msh")));
        buildLongChain (mesh, 200'000);
        written (mshWriteToFile (mesh, folder.getChildFile ("wide.msh")));
        buildDeepChain (mesh, 200'000);
        written (mshWriteToFile (mesh, folder.getChildFile ("deep.msh")));
        writeBalls (folder.getChildFile ("heavy.msh"), 30'000);
        return 0;
    }

    // Answers every box as a user clicking "ok" would.
    struct BoxCloser final : private juce::Timer
    {
        BoxCloser()  { startTimer (20); }
        void timerCallback() override
        {
            if (auto* alert = dynamic_cast<juce::AlertWindow*> (juce::Component::getCurrentlyModalComponent()))
                alert->exitModalState (0);
        }
    };

    // The longest gap between ticks of a 5 ms timer: how long the message thread answered nothing.
    struct Freezes final : private juce::Timer
    {
        void restart()  { last = now(); worst = 0; startTimer (5); }
        void timerCallback() override { worst = std::max (worst, now() - last); last = now(); }
        double last = 0, worst = 0;
    };

    struct Bench
    {
        juce::File folder;
        Freezes freezes;
        BoxCloser boxes;
        std::unique_ptr<MainWindow> window;
        double worstAnswer = 0;

        MainPanel& panel()   { return *window->getPanel(); }
        MeshView& view()     { return panel().getMeshView(); }

        void open (const char* name)
        {
            window = std::make_unique<MainWindow> ("");
            window->centreWithSize (750, 550);
            window->setVisible (true);
            pump (300);
            measure (juce::String ("load ") + name, [&] { panel().getController().open (folder.getChildFile (name)); });
        }

        void measure (const juce::String& what, const std::function<void()>& action, int settleMs = 400)
        {
            freezes.restart();
            const auto cpu = threadCpuMs(), start = now();
            action();
            const auto handler = now() - start;
            pump (settleMs);
            const auto unanswered = freezes.worst; // the first tick after a handler that holds the thread comes late
            worstAnswer = what.startsWith ("load") ? worstAnswer : std::max (worstAnswer, unanswered);
            std::printf ("  %-58s handler %8.1f ms, unanswered %8.1f ms, CPU %8.1f ms\n", what.toRawUTF8(), handler, unanswered, threadCpuMs() - cpu);
            std::fflush (stdout);
        }

        // To the tree as its keys while it has the focus (a window under Xvfb without a window manager
        // need not get the keyboard), or to the window.
        void key (const juce::KeyPress& k, bool toTree = true)
        {
            if (! toTree || ! panel().getTreeView().keyPressed (k))
                window->getPeer()->handleKeyPress (k);
        }

        void mouse (juce::Component& c, juce::Point<int> at, juce::ModifierKeys buttons)
        {
            auto* peer = window->getPeer();
            peer->handleMouseEvent (juce::MouseInputSource::InputSourceType::mouse, peer->getComponent().getLocalPoint (&c, at).toFloat(),
                                    buttons, juce::MouseInputSource::defaultPressure, juce::MouseInputSource::defaultOrientation, juce::Time::currentTimeMillis());
        }

        void wheel (juce::Component& c, float notches)
        {
            auto* peer = window->getPeer();
            peer->handleMouseWheel (juce::MouseInputSource::InputSourceType::mouse, peer->getComponent().getLocalPoint (&c, c.getLocalBounds().getCentre()).toFloat(),
                                    juce::Time::currentTimeMillis(), { 0, notches * 50.0f / 256.0f, false, false, false });
        }

        void click (juce::Component& c, juce::Point<int> at)
        {
            mouse (c, at, {});
            mouse (c, at, juce::ModifierKeys::leftButtonModifier);
            mouse (c, at, {});
        }

        // Waits for the frame under way and the ones asked for to be drawn; how long that took.
        double settleFrames (int timeoutMs = 120'000)
        {
            const auto start = now();
            for (auto frames = view().getRenderedFrameCount();; frames = view().getRenderedFrameCount())
            {
                pump (300);
                if ((view().getRenderedFrameCount() == frames && ! view().isDrawing()) || now() - start > timeoutMs)
                    return now() - start - 300;
            }
        }

        void tree (const char* file, bool deep)
        {
            std::printf ("%s\n", file);
            open (file);
            auto& treeView = panel().getTreeView();
            treeView.grabKeyboardFocus();
            click (treeView, { 40, 8 }); // the root row

            if (deep)
            {
                measure ("open levels 1-" + juce::String (ObjectTreeItem::deepestLevel - 1) + " one by one (Right, Down)", [&]
                {
                    for (int level = 1; level < ObjectTreeItem::deepestLevel; ++level)
                    {
                        key (juce::KeyPress (juce::KeyPress::rightKey));
                        pump (20);
                        key (juce::KeyPress (juce::KeyPress::downKey));
                        pump (20);
                    }
                });
                measure ("open level " + juce::String (ObjectTreeItem::deepestLevel) + " (the levels below listed flat)", [&] { key (juce::KeyPress (juce::KeyPress::rightKey)); });
            }
            else
            {
                measure ("open the root row (200,000 children)", [&] { key (juce::KeyPress (juce::KeyPress::rightKey)); });
            }

            for (auto* what : { "the last run row", "the last run in it" })
            {
                measure ("End in the tree", [&] { key (juce::KeyPress (juce::KeyPress::endKey)); });
                measure (juce::String ("Right: open ") + what, [&] { key (juce::KeyPress (juce::KeyPress::rightKey)); });
            }
            measure ("End in the tree", [&] { key (juce::KeyPress (juce::KeyPress::endKey)); });
            std::printf ("  %-58s %d\n", "rows open in the tree", treeView.getNumRowsInTree());
            measure ("20 wheel notches up over the tree, one by one", [&] { for (int i = 0; i < 20; ++i) { wheel (treeView, 1); pump (1); } });
            measure ("click a row", [&] { click (treeView, { 80, treeView.getHeight() / 2 }); });
            measure ("Home in the tree", [&] { key (juce::KeyPress (juce::KeyPress::homeKey)); });

            if (deep)
            {
                const auto* deepest = &panel().getController().getDocument().getMesh()->root;
                while (deepest->firstChild != nullptr)
                    deepest = deepest->firstChild.get();
                measure ("select the deepest object as a click in the view does", [&] { panel().getController().select (deepest); });
            }

            window.reset();
        }

        // What the program itself takes, with a small file: first, so no other case's peak hides it.
        void sample()
        {
            std::printf ("sample.msh\n");
            open ("sample.msh");
            settleFrames();
            std::printf ("  %-58s %8.0f MB\n", "peak memory", peakMegabytes());
            window.reset();
        }

        void heavy (const char* name)
        {
            const auto file = folder.getChildFile (name);
            std::printf ("%s, %.0f MB; peak memory before %.0f MB\n", name, (double) file.getSize() / 1e6, peakMegabytes());
            open (name);
            settleFrames();
            std::printf ("  %-58s %8.1f ms; peak memory %.0f MB\n", "first full frame", view().getLastFrameMilliseconds(), peakMegabytes());

            const auto middle = view().getLocalBounds().getCentre();
            auto& treeView = panel().getTreeView();
            measure ("W starts a full frame; 0.2 s into it, a click on a row", [&] { key (juce::KeyPress ('w'), false); pump (200); click (treeView, { 40, 8 }); });
            settleFrames();

            // A drag of 1.5 s: how many frames show while turning, then the full one after the release.
            mouse (view(), middle, juce::ModifierKeys::leftButtonModifier);
            const auto before = view().getRenderedFrameCount();
            const auto start = now();
            measure ("a left drag for 1.5 s", [&] { for (int i = 0; i < 75; ++i) { mouse (view(), middle + juce::Point<int> (i * 2, i), juce::ModifierKeys::leftButtonModifier); pump (20); } }, 0);
            const auto turning = view().getRenderedFrameCount() - before;
            std::printf ("  %-58s %d frames in %.0f ms, the last drawn in %.1f ms\n", "frames drawn while turning", turning, now() - start, view().getLastFrameMilliseconds());
            mouse (view(), middle + juce::Point<int> (150, 75), {});
            settleFrames();
            std::printf ("  %-58s %8.1f ms\n", "the full frame after the release", view().getLastFrameMilliseconds());

            measure ("a wheel notch over the view", [&] { wheel (view(), 1); });
            settleFrames();
            std::printf ("  %-58s %8.0f MB (%.2fx the file)\n", "peak memory so far", peakMegabytes(),
                         peakMegabytes() * 1048576.0 / (double) file.getSize());

            key (juce::KeyPress ('w'), false);
            pump (200);
            measure ("0.2 s into a full frame, the window closes", [&] { window.reset(); }, 100);
        }
    };

    class BenchApplication final : public juce::JUCEApplication
    {
    public:
        const juce::String getApplicationName() override      { return "Tolmar MSH Viewer"; }
        const juce::String getApplicationVersion() override   { return mshVersion; }
        bool moreThanOneInstanceAllowed() override            { return true; }
        void shutdown() override {}
        void anotherInstanceStarted (const juce::String&) override {}

        void initialise (const juce::String&) override
        {
            const auto args = getCommandLineParameterArray();
            Bench bench;
            bench.folder = args.isEmpty() ? juce::File::createTempFile ("msh-window-bench") : juce::File::getCurrentWorkingDirectory().getChildFile (args[0]);
            if (const auto made = bench.folder.createDirectory(); made.failed())
            {
                std::fprintf (stderr, "bench_window: cannot make %s: %s\n", bench.folder.getFullPathName().toRawUTF8(), made.getErrorMessage().toRawUTF8());
                std::exit (1);
            }

            const auto only = args[1]; // sample, wide, deep, heavy or huge: that case alone (huge only when asked)
            const auto write = [&bench] (const char* file, const char* which)
            {
                if (bench.folder.getChildFile (file).existsAsFile())
                    return;
                juce::ChildProcess writer;
                writer.start (juce::StringArray { juce::File::getSpecialLocation (juce::File::currentExecutableFile).getFullPathName(), "--write", bench.folder.getFullPathName(), which });
                if (! writer.waitForProcessToFinish (1'800'000) || writer.getExitCode() != 0)
                {
                    std::fprintf (stderr, "bench_window: the files could not be written into %s\n", bench.folder.getFullPathName().toRawUTF8());
                    std::exit (1);
                }
            };

            write ("heavy.msh", "");
            if (only.isEmpty() || only == "sample") bench.sample();
            if (only.isEmpty() || only == "wide")  bench.tree ("wide.msh", false);
            if (only.isEmpty() || only == "deep")  bench.tree ("deep.msh", true);
            if (only.isEmpty() || only == "heavy") bench.heavy ("heavy.msh");
            if (only == "huge")
            {
                write ("huge.msh", "huge");
                bench.heavy ("huge.msh");
            }

            std::printf ("longest the window went unanswered after any input (loads aside): %.1f ms\n", bench.worstAnswer);

            if (args.isEmpty())
                bench.folder.deleteRecursively();

            quit();
        }
    };
}

int main (int argc, char* argv[])
{
    if (argc >= 3 && juce::String (argv[1]) == "--write")
        return writeFiles (juce::File (juce::String (juce::CharPointer_UTF8 (argv[2]))), argc > 3 ? argv[3] : "");

    const char* const usage = "usage: bench_window [FOLDER [sample|wide|deep|heavy|huge]]   (under an X display:\n"
                              "       scripts/with-display.sh build/bench/bench_window ...)\n";
    const juce::String first = argc > 1 ? argv[1] : "", only = argc > 2 ? argv[2] : "";

    if (first == "--help" || first == "-h")
        return std::printf ("%s", usage) > 0 && std::fflush (stdout) == 0 ? 0 : 2;

    if (argc > 3 || first.startsWith ("-") || ! (only.isEmpty() || juce::StringArray { "sample", "wide", "deep", "heavy", "huge" }.contains (only)))
        return std::fprintf (stderr, "%s", usage), 64;

    if (juce::SystemStats::getEnvironmentVariable ("DISPLAY", {}).isEmpty())
        return std::fprintf (stderr, "bench_window: no X display (DISPLAY is not set)\n%s", usage), 2;

    juce::JUCEApplicationBase::createInstance = [] () -> juce::JUCEApplicationBase* { return new BenchApplication(); };
    return juce::JUCEApplicationBase::main (argc, (const char**) argv);
}
