// Tolmar MSH Viewer - JUCE's PNG and JPEG formats for Windows builds, which decode no picture.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
//
// Debian's JUCE leaves out the image libraries JUCE bundles, and Debian has no MinGW libpng or libjpeg.
// The viewer writes its pictures with stb and reads none, so in the Windows build these two formats say
// they understand nothing. Included by the build's copy of juce_graphics.cpp in place of the loaders.
namespace juce
{
    PNGImageFormat::PNGImageFormat()                                   {}
    PNGImageFormat::~PNGImageFormat()                                  {}
    String PNGImageFormat::getFormatName()                             { return "PNG"; }
    bool PNGImageFormat::usesFileExtension (const File& f)             { return f.hasFileExtension ("png"); }
    bool PNGImageFormat::canUnderstand (InputStream&)                  { return false; }
    Image PNGImageFormat::decodeImage (InputStream&)                   { return {}; }
    bool PNGImageFormat::writeImageToStream (const Image&, OutputStream&) { return false; }

    JPEGImageFormat::JPEGImageFormat() : quality (-1.0f)               {}
    JPEGImageFormat::~JPEGImageFormat()                                {}
    void JPEGImageFormat::setQuality (float newQuality)                { quality = newQuality; }
    String JPEGImageFormat::getFormatName()                            { return "JPEG"; }
    bool JPEGImageFormat::usesFileExtension (const File& f)            { return f.hasFileExtension ("jpeg;jpg"); }
    bool JPEGImageFormat::canUnderstand (InputStream&)                 { return false; }
    Image JPEGImageFormat::decodeImage (InputStream&)                  { return {}; }
    bool JPEGImageFormat::writeImageToStream (const Image&, OutputStream&) { return false; }
}
