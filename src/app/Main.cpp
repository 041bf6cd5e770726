// Tolmar MSH Viewer - the application.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "CommandLine.h"
#include "msh/Version.h"
#include "MainWindow.h"

#include <cstdio>

class MshViewerApp final : public juce::JUCEApplication
{
public:
    MshViewerApp() = default;

    const juce::String getApplicationName() override       { return "Tolmar MSH Viewer"; }
    const juce::String getApplicationVersion() override    { return mshVersion; }
    bool moreThanOneInstanceAllowed() override             { return true; }

    void initialise (const juce::String&) override
    {
        // JUCE hands over the arguments re-quoted; the raw ones joined are the file name as typed. Windows
        // hands over the text after the program's name as it is.
       #if JUCE_WINDOWS
        const auto arguments = viewerArgumentsFromWindows (getCommandLineParameters(), juce::File::getCurrentWorkingDirectory());
       #else
        const auto arguments = viewerArguments (getCommandLineParameterArray(), juce::File::getCurrentWorkingDirectory());
       #endif

        mainWindow = std::make_unique<MainWindow> (arguments.fileName, arguments.watch);
        mainWindow->centreWithSize (750, 550);
        mainWindow->setVisible (true);
    }

    void shutdown() override
    {
        mainWindow = nullptr;
    }

    void anotherInstanceStarted (const juce::String&) override {}
    void systemRequestedQuit() override                    { quit(); }
    void unhandledException (const std::exception*, const juce::String&, int) override {}

private:
    std::unique_ptr<MainWindow> mainWindow;
};

static juce::JUCEApplicationBase* createApplication()
{
    return new MshViewerApp();
}

#if JUCE_WINDOWS
// The Windows GUI entry: JUCE takes the command line from Windows itself.
extern "C" int __stdcall WinMain (struct HINSTANCE__*, struct HINSTANCE__*, char*, int)
{
    juce::JUCEApplicationBase::createInstance = &createApplication;
    juce::JUCEApplicationBase::main();
    return 0; // whatever the runner returned
}
#else
int main (int argc, char* argv[])
{
    // Asked for help or the version, the viewer answers and opens no window (and needs no display).
    if (const auto answer = viewerAnswer (juce::StringArray (argv + 1, argc - 1)))
    {
        const auto written = std::fputs (answer->toRawUTF8(), stdout) >= 0 && std::fflush (stdout) == 0;
        if (! written)
            std::perror ("tolmar-msh-viewer: standard output");
        return written ? 0 : 1;
    }

    juce::JUCEApplicationBase::createInstance = &createApplication;
    juce::JUCEApplicationBase::main (argc, (const char**) argv);
    return 0; // whatever the runner returned
}
#endif
