// Tolmar MSH Viewer - helpers for tests of real components under an X display.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "GuiTestSupport.h"

void pump (int milliseconds)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
}

bool pumpUntil (const std::function<bool()>& condition, int timeoutMilliseconds)
{
    for (const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMilliseconds; ! condition(); pump (10))
        if (juce::Time::getMillisecondCounter() > end)
            return false;

    return true;
}

void ModalWatcher::timerCallback()
{
    auto* modal = juce::Component::getCurrentlyModalComponent();

    if (auto* alert = dynamic_cast<juce::AlertWindow*> (modal))
    {
        // The window describes itself as "title. message" for screen readers.
        Box box { alert->getName(), alert->getDescription().fromFirstOccurrenceOf (alert->getName() + ". ", false, false), alert->getAlertType(), {} };

        for (auto* child : alert->getChildren())
            if (auto* button = dynamic_cast<juce::TextButton*> (child))
                box.buttons.add (button->getButtonText());

        boxes.push_back (box);
        alert->exitModalState (0);
    }
    else if (modal != nullptr) // a popup menu runs modally too: what the test wants to see, it sees now
    {
        if (onMenu)
            onMenu();

        menus += juce::PopupMenu::dismissAllActiveMenus() ? 1 : 0;
    }
}

void sendMouse (juce::Component& component, juce::Point<int> position, juce::ModifierKeys buttons)
{
    auto* peer = component.getPeer();
    ASSERT_NE (nullptr, peer);
    peer->handleMouseEvent (juce::MouseInputSource::InputSourceType::mouse, peer->getComponent().getLocalPoint (&component, position).toFloat(),
                            buttons, juce::MouseInputSource::defaultPressure, juce::MouseInputSource::defaultOrientation,
                            juce::Time::currentTimeMillis());
}

void click (juce::Component& component, juce::Point<int> position, bool right)
{
    sendMouse (component, position, {});
    sendMouse (component, position, right ? juce::ModifierKeys::rightButtonModifier : juce::ModifierKeys::leftButtonModifier);
    sendMouse (component, position, {});
    pump (20);
}

int countPixels (const juce::Image& image, juce::Rectangle<int> area, const std::function<bool (juce::Colour)>& test)
{
    int count = 0;
    const juce::Image::BitmapData pixels (image, juce::Image::BitmapData::readOnly);
    area = area.getIntersection (image.getBounds());

    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
            count += test (pixels.getPixelColour (x, y)) ? 1 : 0;

    return count;
}
