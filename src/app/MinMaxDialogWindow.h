// Tolmar MSH Viewer - a dialog window with minimise and maximise/restore buttons of its own.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// A framework dialog window (title bar, close button, Alt+F4) with a blue minimise and a green
// maximise/restore button drawn from line segments to the left of the close button. A double-click
// less than titleBarHeight pixels from the window's top toggles full screen like the green button.
class MinMaxDialogWindow : public juce::DialogWindow,
                           private juce::Button::Listener
{
public:
    MinMaxDialogWindow (const juce::String& title, juce::Colour backgroundColour, bool escapeCloses,
                        bool withMinimiseButton, bool withMaximiseButton);
    ~MinMaxDialogWindow() override;

    // Toggles full screen: full screen if it is not, back to the former bounds if it is.
    virtual void maximiseButtonPressed();

    // Toggles the minimised state.
    virtual void minimiseButtonPressed();

    juce::BorderSize<int> getBorderThickness() override;

    juce::ShapeButton* getMaxResButton() const noexcept     { return maxResButton.get(); }
    juce::ShapeButton* getMinButton() const noexcept        { return minButton.get(); }

    static constexpr int titleBarHeight = 28;

protected:
    void resized() override;
    void mouseDoubleClick (const juce::MouseEvent& e) override;

private:
    void buttonClicked (juce::Button* button) override;

    std::unique_ptr<juce::ShapeButton> maxResButton;
    std::unique_ptr<juce::ShapeButton> minButton;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MinMaxDialogWindow)
};
