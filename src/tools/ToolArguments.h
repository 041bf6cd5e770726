// Tolmar MSH Viewer - the command line as every program here reads it, and its standard output.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include "msh/Expected.h"
#include "msh/Version.h"

#include <functional>
#include <optional>
#include <vector>

// An option the program knows. Its value, when it takes one, is the next argument whatever it looks like
// (or the text after "=" in "--name=value").
struct ToolOption
{
    juce::String name;
    bool takesValue = false;
    std::function<Expected<void> (const juce::String& value)> take; // a failure says what the value should be
};

struct ToolCommandLine
{
    juce::StringArray operands;           // everything that is no option, in order
    std::optional<int> exitStatus;        // when the program is to stop at once: --help, --version, bad usage
};

// Exit status for a command line that makes no sense (and for which the usage is printed).
constexpr int usageStatus = 64;

// Reads the arguments: options anywhere until "--", after which everything is an operand ("-" alone is one
// too). "--help" (or "-h") prints usage and "--version" the version to standard output and stop the program with 0
// (2 when that output cannot be written); an unknown option, one given twice, a missing or bad value stops it
// with 64.
ToolCommandLine readCommandLine (int argc, char* argv[], const char* program, const char* usage,
                                 const std::vector<ToolOption>& options);

// A value that is not what an option takes: what it should be.
inline Failure badValue (const juce::String& shouldBe)   { return { Failure::Kind::usage, shouldBe }; }

// Writes to standard output and flushes it; a failure when it could not be written whole (a full disk, a
// closed pipe): "cannot write to standard output: " and the system's reason.
Expected<void> printToStandardOutput (const std::string& text);

// Whether everything written to standard output so far reached it, as printToStandardOutput.
Expected<void> standardOutputWritten();

// Opens /dev/null on any of the three standard streams that is closed, so no file the program opens later
// takes its number (and the program's messages); false when standard output was one of them.
bool standardOutputWasOpen();

// A decimal number of digits alone (no sign, no space, no other text) from low to high, or nothing.
std::optional<juce::int64> parseWholeNumber (const juce::String& text, juce::int64 low, juce::int64 high);

// The version every program reports.
constexpr const char* toolsVersion = mshVersion;
