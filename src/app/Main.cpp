// Tolmar MSH Viewer - the application.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "CommandLine.h"
#include "MainWindow.h"

class MshViewerApp final : public juce::JUCEApplication
{
public:
    MshViewerApp() = default;

    const juce::String getApplicationName() override       { return "Tolmar MSH Viewer"; }
    const juce::String getApplicationVersion() override    { return "0.2.1"; }
    bool moreThanOneInstanceAllowed() override             { return true; }

    void initialise (const juce::String&) override
    {
        // JUCE hands over the arguments re-quoted; the raw ones joined are the file name as typed.
        const auto fileName = fileNameFromCommandLine (getCommandLineParameterArray(),
                                                       juce::File::getCurrentWorkingDirectory());

        mainWindow = std::make_unique<MainWindow> (fileName);
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

int main (int argc, char* argv[])
{
    juce::JUCEApplicationBase::createInstance = &createApplication;
    juce::JUCEApplicationBase::main (argc, (const char**) argv);
    return 0; // whatever the runner returned
}
