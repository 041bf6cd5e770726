// Tolmar MSH Viewer - runs GoogleTest inside a JUCE application, as JUCE's GUI code needs under X11.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "msh/Version.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <gtest/gtest.h>

namespace
{
    // The components under test ask the running application for its name (the view's window title),
    // so the runner answers as the viewer does.
    class GuiTestApplication final : public juce::JUCEApplication
    {
    public:
        const juce::String getApplicationName() override      { return "Tolmar MSH Viewer"; }
        const juce::String getApplicationVersion() override   { return mshVersion; }
        bool moreThanOneInstanceAllowed() override            { return true; }
        void shutdown() override {}
        void systemRequestedQuit() override {}
        void anotherInstanceStarted (const juce::String&) override {}

        // Run from here, before the message loop starts, rather than from a message callback: the tests
        // pump the loop themselves, and JUCE's Linux run loop does not take being re-entered from inside
        // one of its own callbacks (the quit request afterwards went unanswered).
        void initialise (const juce::String&) override
        {
            // The whole suite again as on a display of twice the pixels (MSH_TEST_SCALE=2): Xvfb offers
            // no such display, JUCE's global scale makes one.
            if (const auto scale = juce::SystemStats::getEnvironmentVariable ("MSH_TEST_SCALE", "1").getFloatValue(); scale > 0)
                juce::Desktop::getInstance().setGlobalScaleFactor (scale);

            setApplicationReturnValue (RUN_ALL_TESTS());
            quit();
        }

        void unhandledException (const std::exception* e, const juce::String&, int) override
        {
            ADD_FAILURE() << "exception escaped to the message loop: " << (e != nullptr ? e->what() : "unknown");
        }
    };
}

int main (int argc, char* argv[])
{
    testing::InitGoogleTest (&argc, argv); // takes out its own options; JUCE gets the rest
    juce::JUCEApplicationBase::createInstance = [] () -> juce::JUCEApplicationBase* { return new GuiTestApplication(); };
    return juce::JUCEApplicationBase::main (argc, (const char**) argv);
}
