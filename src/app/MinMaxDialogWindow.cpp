// Tolmar MSH Viewer - a dialog window with minimise and maximise/restore buttons of its own.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "MinMaxDialogWindow.h"
#include "Layout.h"

namespace
{
    // Half-transparent until the mouse is over it or it is pressed.
    std::unique_ptr<juce::ShapeButton> makeShapeButton (const char* name, juce::uint32 normal, juce::uint32 full,
                                                        const juce::Path& shape)
    {
        auto button = std::make_unique<juce::ShapeButton> (name, juce::Colour (normal), juce::Colour (full), juce::Colour (full));
        button->setShape (shape, false, true, true);
        return button;
    }

    juce::Path maximiseShape()
    {
        // A window outline with a thick top edge.
        juce::Path p;
        p.addLineSegment ({ 0.0f, 0.0f, 10.0f, 0.0f }, 3.0f);
        p.addLineSegment ({ 0.5f, 0.0f, 0.5f, 10.0f }, 1.0f);
        p.addLineSegment ({ 9.5f, 0.0f, 9.5f, 10.0f }, 1.0f);
        p.addLineSegment ({ 0.0f, 10.0f, 10.0f, 10.0f }, 1.0f);
        return p;
    }

    juce::Path minimiseShape()
    {
        // A bar at the bottom: the zero-length first segment puts (0, 0) into the shape's bounds.
        juce::Path p;
        p.addLineSegment ({ 0.0f, 0.0f, 0.0f, 0.0f }, 0.0f);
        p.addLineSegment ({ 0.0f, 10.0f, 10.0f, 10.0f }, 3.0f);
        return p;
    }
}

MinMaxDialogWindow::MinMaxDialogWindow (const juce::String& title, juce::Colour backgroundColour, bool escapeCloses,
                                        bool withMinimiseButton, bool withMaximiseButton)
    : juce::DialogWindow (title, backgroundColour, escapeCloses)
{
    setTitleBarHeight (titleBarHeight);

    if (withMaximiseButton)
    {
        setResizable (true, false); // by the border, not a corner
        maxResButton = makeShapeButton ("MaxResButton", 0x80008000, 0xff008000, maximiseShape());
        maxResButton->addListener (this);
        juce::Component::addAndMakeVisible (maxResButton.get());
    }

    if (withMinimiseButton)
    {
        minButton = makeShapeButton ("MinButton", 0x800000ff, 0xff0000ff, minimiseShape());
        minButton->addListener (this);
        juce::Component::addAndMakeVisible (minButton.get());
    }
}

MinMaxDialogWindow::~MinMaxDialogWindow() = default;

juce::BorderSize<int> MinMaxDialogWindow::getBorderThickness()
{
    if (isUsingNativeTitleBar() || isKioskMode())
        return {};

    return juce::BorderSize<int> (windowBorderThickness (resizableBorder != nullptr, isFullScreen()));
}

void MinMaxDialogWindow::resized()
{
    juce::DialogWindow::resized();

    // JUCE's own close button, and ours beside it, where the title bar wants them.
    const auto buttons = titleBarButtonBounds (getWidth(), getBorderThickness().getTop(), titleBarHeight);

    if (minButton != nullptr)
        minButton->setBounds (buttons.minimise);

    if (maxResButton != nullptr)
        maxResButton->setBounds (buttons.maximise);

    if (auto* close = getCloseButton())
        close->setBounds (buttons.close);
}

void MinMaxDialogWindow::mouseDoubleClick (const juce::MouseEvent& e)
{
    if (e.getEventRelativeTo (this).getMouseDownY() < titleBarHeight)
        maximiseButtonPressed();
}

void MinMaxDialogWindow::buttonClicked (juce::Button* button)
{
    if (button == maxResButton.get())
        maximiseButtonPressed();
    else if (button == minButton.get())
        minimiseButtonPressed();
}

void MinMaxDialogWindow::maximiseButtonPressed()
{
    setFullScreen (! isFullScreen());
}

void MinMaxDialogWindow::minimiseButtonPressed()
{
    setMinimised (! isMinimised());
}
