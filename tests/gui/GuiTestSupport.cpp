// Tolmar MSH Viewer - helpers for tests of real components under an X display.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "GuiTestSupport.h"

void pump (int milliseconds)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
}

bool pumpUntil (const std::function<bool()>& condition, int timeoutMilliseconds)
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMilliseconds;

    while (! condition())
    {
        if (juce::Time::getMillisecondCounter() > end)
            return false;

        pump (10);
    }

    return true;
}

//==============================================================================
ModalWatcher::ModalWatcher()
{
    startTimer (20);
}

ModalWatcher::~ModalWatcher()
{
    stopTimer();
}

void ModalWatcher::timerCallback()
{
    if (auto* alert = dynamic_cast<juce::AlertWindow*> (juce::Component::getCurrentlyModalComponent()))
    {
        Box box;
        box.title = alert->getName();
        // The window describes itself as "title. message" for screen readers.
        box.message = alert->getDescription().fromFirstOccurrenceOf (box.title + ". ", false, false);
        box.icon = alert->getAlertType();

        for (auto* child : alert->getChildren())
            if (auto* button = dynamic_cast<juce::TextButton*> (child))
                box.buttons.add (button->getButtonText());

        boxes.push_back (box);
        alert->exitModalState (0);
        return;
    }

    // A popup menu runs modally too; whatever the test wants to see must be seen before it goes.
    if (juce::Component::getCurrentlyModalComponent() != nullptr)
    {
        if (onMenu)
            onMenu();

        if (juce::PopupMenu::dismissAllActiveMenus())
            ++menus;
    }
}

//==============================================================================
TestWindow::TestWindow (juce::Component& content, int width, int height)
    : juce::DocumentWindow ("test window", juce::Colours::white, 0, true)
{
    setUsingNativeTitleBar (false);
    setTitleBarHeight (0);
    setContentNonOwned (&content, false);
    setBounds (40, 40, width, height);
    setVisible (true);
    toFront (true);
}

TestWindow::~TestWindow()
{
    clearContentComponent();
}

void sendMouse (juce::Component& component, juce::Point<int> position, juce::ModifierKeys buttons)
{
    auto* peer = component.getPeer();
    ASSERT_NE (nullptr, peer);
    const auto inPeer = peer->getComponent().getLocalPoint (&component, position).toFloat();
    peer->handleMouseEvent (juce::MouseInputSource::InputSourceType::mouse, inPeer, buttons,
                            juce::MouseInputSource::defaultPressure, juce::MouseInputSource::defaultOrientation,
                            juce::Time::currentTimeMillis());
}

void click (juce::Component& component, juce::Point<int> position, bool right)
{
    const auto button = right ? juce::ModifierKeys::rightButtonModifier : juce::ModifierKeys::leftButtonModifier;
    sendMouse (component, position, juce::ModifierKeys());
    sendMouse (component, position, juce::ModifierKeys (button));
    sendMouse (component, position, juce::ModifierKeys());
    pump (20);
}

juce::Image grabScreen()
{
    const auto file = juce::File::createTempFile (".png");
    juce::ChildProcess import;

    if (! import.start (juce::StringArray { "import", "-window", "root", file.getFullPathName() }))
        return {};

    import.waitForProcessToFinish (20000);
    auto image = juce::ImageFileFormat::loadFrom (file);
    file.deleteFile();
    return image;
}

namespace
{
    template <typename Test>
    int countPixels (const juce::Image& image, juce::Rectangle<int> area, Test&& test)
    {
        int count = 0;
        const juce::Image::BitmapData pixels (image, juce::Image::BitmapData::readOnly);
        area = area.getIntersection (image.getBounds());

        for (int y = area.getY(); y < area.getBottom(); ++y)
            for (int x = area.getX(); x < area.getRight(); ++x)
                count += test (pixels.getPixelColour (x, y)) ? 1 : 0;

        return count;
    }
}

int countPixelsNear (const juce::Image& image, juce::Rectangle<int> area, juce::Colour colour, int tolerance)
{
    return countPixels (image, area, [&] (juce::Colour c)
    {
        return std::abs (c.getRed() - colour.getRed()) <= tolerance && std::abs (c.getGreen() - colour.getGreen()) <= tolerance
            && std::abs (c.getBlue() - colour.getBlue()) <= tolerance;
    });
}

int countBlackTextPixels (const juce::Image& image, juce::Rectangle<int> area)
{
    return countPixels (image, area, [] (juce::Colour c)
    {
        const auto high = juce::jmax (c.getRed(), c.getGreen(), c.getBlue());
        const auto low = juce::jmin (c.getRed(), c.getGreen(), c.getBlue());
        return high < 120 && high - low < 30;
    });
}
