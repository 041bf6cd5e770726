// Tolmar MSH Viewer - helpers for tests of real components under an X display.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <gtest/gtest.h>

// Runs the message loop for a while, or until a condition holds (true) or the time is up (false).
void pump (int milliseconds);
bool pumpUntil (const std::function<bool()>& condition, int timeoutMilliseconds = 5000);

// Watches for modal boxes and popup menus while a test runs, records what they said and closes them,
// as a user clicking "ok" or away would.
class ModalWatcher final : private juce::Timer
{
public:
    struct Box
    {
        juce::String title, message;
        juce::MessageBoxIconType icon;
        juce::StringArray buttons;

        bool operator== (const Box& o) const { return title == o.title && message == o.message && icon == o.icon && buttons == o.buttons; }
    };

    ModalWatcher()              { startTimer (20); }

    std::vector<Box> boxes;
    int menus = 0;
    std::function<void()> onMenu; // called while a popup menu is open, before it is dismissed

private:
    void timerCallback() override;
};

// Where a point of a component lies for its window's peer.
juce::Point<float> peerPosition (juce::Component& component, juce::Point<int> position);

// A mouse event through the window's peer, as the system would deliver it: position in the component.
void sendMouse (juce::Component& component, juce::Point<int> position, juce::ModifierKeys buttons);

// A left or right click (down, then up) at a position in the component.
void click (juce::Component& component, juce::Point<int> position, bool right = false);

// The pixels of an image in an area that pass a test.
int countPixels (const juce::Image& image, juce::Rectangle<int> area, const std::function<bool (juce::Colour)>& test);

// The colour on the screen at a point in JUCE's screen coordinates.
juce::Colour screenPixel (juce::Point<int> position);

// The contrast of two colours as the web's accessibility guidelines measure it, from 1 to 21.
double contrastRatio (juce::Colour a, juce::Colour b);
