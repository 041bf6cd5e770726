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

juce::Point<float> peerPosition (juce::Component& component, juce::Point<int> position)
{
    // The peer counts the pixels JUCE's global scale makes; components count logical ones.
    auto* peer = component.getPeer();
    return peer == nullptr ? juce::Point<float>()
                           : peer->getComponent().getLocalPoint (&component, position).toFloat() * juce::Desktop::getInstance().getGlobalScaleFactor();
}

void sendMouse (juce::Component& component, juce::Point<int> position, juce::ModifierKeys buttons)
{
    auto* peer = component.getPeer();
    ASSERT_NE (nullptr, peer);
    peer->handleMouseEvent (juce::MouseInputSource::InputSourceType::mouse, peerPosition (component, position),
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

juce::Colour screenPixel (juce::Point<int> position)
{
    // The screen counts the pixels JUCE's global scale makes. ImageMagick reads them off the X server,
    // where GL frames are as the user sees them.
    const auto scale = juce::Desktop::getInstance().getGlobalScaleFactor();
    const auto at = (position.toFloat() * scale).roundToInt();
    juce::ChildProcess import;

    if (! import.start (juce::StringArray { "import", "-window", "root", "-crop", "1x1+" + juce::String (at.x) + "+" + juce::String (at.y), "-depth", "8", "txt:-" }))
        return {};

    // "0,0: (204,0,102)  #CC0066  srgb(204,0,102)"
    const auto values = juce::StringArray::fromTokens (import.readAllProcessOutput().fromFirstOccurrenceOf ("(", false, false).upToFirstOccurrenceOf (")", false, false), ",", "");
    return values.size() < 3 ? juce::Colour() : juce::Colour ((juce::uint8) values[0].getIntValue(), (juce::uint8) values[1].getIntValue(), (juce::uint8) values[2].getIntValue());
}

double contrastRatio (juce::Colour a, juce::Colour b)
{
    const auto luminance = [] (juce::Colour c)
    {
        const auto linear = [] (juce::uint8 v) { const auto s = v / 255.0; return s <= 0.04045 ? s / 12.92 : std::pow ((s + 0.055) / 1.055, 2.4); };
        return 0.2126 * linear (c.getRed()) + 0.7152 * linear (c.getGreen()) + 0.0722 * linear (c.getBlue());
    };
    const auto la = luminance (a), lb = luminance (b);
    return (std::max (la, lb) + 0.05) / (std::min (la, lb) + 0.05);
}
