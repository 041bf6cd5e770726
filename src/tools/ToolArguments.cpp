// Tolmar MSH Viewer - the command line as every program here reads it, and its standard output.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "ToolArguments.h"

#include "ToolStreams.h"

#include <cerrno>
#include <cstring>
#include <iostream>

namespace
{
    int badUsage (const char* program, const char* usage, const juce::String& message)
    {
        std::cerr << program << ": " << message << "\n" << usage;
        return usageStatus;
    }
}

ToolCommandLine readCommandLine (int argc, char* argv[], const char* program, const char* usage,
                                 const std::vector<ToolOption>& options)
{
    ToolCommandLine line;
    bool optionsEnded = false;
    const auto args = programArguments (argc, argv);
    juce::StringArray given;

    for (int i = 1; i < args.size(); ++i)
    {
        const auto& argument = args[i];

        if (optionsEnded || ! argument.startsWith ("-") || argument == "-")
        {
            line.operands.add (argument);
            continue;
        }

        if (argument == "--")
        {
            optionsEnded = true;
            continue;
        }

        if (argument == "--help" || argument == "-h" || argument == "--version")
        {
            const auto text = argument != "--version" ? std::string (usage) : std::string (program) + " " + toolsVersion + "\n";
            const auto printed = printToStandardOutput (text);

            if (! printed)
                std::cerr << program << ": " << printed.message() << "\n";

            line.exitStatus = printed ? 0 : 2;
            return line;
        }

        const auto name = argument.startsWith ("--") && argument.contains ("=") ? argument.upToFirstOccurrenceOf ("=", false, false) : argument;
        const auto option = std::find_if (options.begin(), options.end(), [&name] (const ToolOption& o) { return o.name == name; });

        if (option == options.end())
        {
            line.exitStatus = badUsage (program, usage, "unknown option " + argument);
            return line;
        }

        if (given.contains (name))
        {
            line.exitStatus = badUsage (program, usage, name + " given twice");
            return line;
        }

        given.add (name);
        juce::String value;

        if (name != argument)
            value = argument.fromFirstOccurrenceOf ("=", false, false);
        else if (option->takesValue && i + 1 < args.size())
            value = args[++i];
        else if (option->takesValue)
        {
            line.exitStatus = badUsage (program, usage, name + " needs a value");
            return line;
        }

        if (name != argument && ! option->takesValue)
        {
            line.exitStatus = badUsage (program, usage, name + " takes no value");
            return line;
        }

        if (const auto taken = option->take (value); ! taken)
        {
            line.exitStatus = badUsage (program, usage, "bad value for " + name + ": \"" + value + "\" (" + taken.message() + ")");
            return line;
        }
    }

    return line;
}

Expected<void> standardOutputWritten()
{
    errno = 0;

    if (std::cout.flush().good())
        return {};

    return Failure { Failure::Kind::ioFailed, juce::String ("cannot write to standard output: ") + (errno != 0 ? std::strerror (errno) : "the output failed") };
}

Expected<void> printToStandardOutput (const std::string& text)
{
    std::cout << text;
    return standardOutputWritten();
}

bool standardOutputWasOpen()
{
    return prepareStandardStreams();
}

std::optional<juce::int64> parseWholeNumber (const juce::String& text, juce::int64 low, juce::int64 high)
{
    if (text.isEmpty() || ! text.containsOnly ("0123456789"))
        return {};

    juce::int64 value = 0;

    for (auto p = text.getCharPointer(); ! p.isEmpty();)
    {
        value = value * 10 + (p.getAndAdvance() - '0');

        if (value > high) // checked at every digit, so nothing wraps
            return {};
    }

    return value < low ? std::optional<juce::int64>() : value;
}
