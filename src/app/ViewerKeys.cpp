// Tolmar MSH Viewer - the keys of the main window.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "ViewerKeys.h"

const char* const keysHelpTitle = "Keys and mouse";
const char* const keysHelpText =
    "Left drag: turn    Right drag: move    Wheel, + and -: zoom\n"
    "Left click on an object: select it (as its row in the tree does)\n"
    "Right click on a row: the object's flags\n"
    "Up / Down: the row above or below    Left / Right: close or open a row\n\n"
    "F: frame the selected object, or everything\n"
    "Home: the camera as the file placed it\n"
    "W: wireframe on or off\n"
    "L: a light at the eye on or off, so the shapes read\n"
    "C: the collision hulls (hidden in the game) as wireframe, or drawn as the rest\n"
    "X: hide the selected object with its children    Shift+X: show everything again\n"
    "I: information in the corner on or off\n"
    "F5: read the file again, keeping camera and selection\n"
    "R: watch the file: read it again whenever it changes on disk, or stop\n"
    "F12: save the view as a picture beside the file\n"
    "Page Down / Page Up: next / previous .msh file of the folder\n"
    "Ctrl+O: Load MSH    Ctrl+Q: quit    H or F1: this help";

ViewerCommand viewerCommandFor (const juce::KeyPress& key)
{
    using K = juce::KeyPress;
    const auto mods = key.getModifiers();
    const auto plain = ! mods.isCommandDown() && ! mods.isAltDown();
    const auto character = juce::CharacterFunctions::toLowerCase (key.getTextCharacter());
    const auto code = key.getKeyCode();

    if (mods.isCommandDown() && ! mods.isAltDown())
        return code == 'O' || character == 'o' || character == 15 ? ViewerCommand::open
             : code == 'Q' || character == 'q' || character == 17 ? ViewerCommand::quit : ViewerCommand::none;

    if (! plain)
        return ViewerCommand::none;

    if (code == K::F1Key || character == 'h')  return ViewerCommand::help;
    if (code == K::homeKey)                     return ViewerCommand::home;
    if (code == K::F5Key)                       return ViewerCommand::reload;
    if (code == K::F12Key)                      return ViewerCommand::picture;
    if (code == K::pageDownKey)                 return ViewerCommand::nextFile;
    if (code == K::pageUpKey)                   return ViewerCommand::previousFile;
    if (character == 'f')                       return ViewerCommand::frame;
    if (character == 'w')                       return ViewerCommand::wireframe;
    if (character == 'i')                       return ViewerCommand::overlay;
    if (character == 'l')                       return ViewerCommand::headlight;
    if (character == 'c')                       return ViewerCommand::hulls;
    if (character == 'x')                       return mods.isShiftDown() ? ViewerCommand::showAll : ViewerCommand::hide;
    if (character == 'r')                       return ViewerCommand::watch;
    if (character == '+' || character == '=' || code == K::numberPadAdd)       return ViewerCommand::zoomIn;
    if (character == '-' || character == '_' || code == K::numberPadSubtract)  return ViewerCommand::zoomOut;
    return ViewerCommand::none;
}
