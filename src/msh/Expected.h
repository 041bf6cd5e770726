// Tolmar MSH Viewer - the one way to say "failed": a value, or what kind of failure and a message that
// names the file and the system's reason.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include <juce_core/juce_core.h>

#include <variant>

struct Failure
{
    enum class Kind
    {
        notFound,       // no such file or folder
        notRegular,     // a folder, FIFO or device where a regular file is needed
        outside,        // a file named by another that lies outside that one's folder
        tooBig,         // more than the file could hold, or more memory than it may take
        malformed,      // bytes that do not make what they should
        unsupported,    // something well made that cannot be read here (compressed geometry)
        ioFailed,       // the system failed to read or write
        noMemory,       // the system had no memory to give
        conflict,       // an output that is an input, or that two inputs would share
        usage           // a command line that makes no sense
    };

    Kind kind = Kind::ioFailed;
    juce::String message;
};

// Either a T or the Failure that stopped it; asked for the one it does not hold, it asserts.
template <typename T>
class [[nodiscard]] Expected
{
public:
    Expected (T value) : content (std::move (value)) {}
    Expected (Failure failure) : content (std::move (failure)) {}

    bool ok() const noexcept                          { return content.index() == 0; }
    explicit operator bool() const noexcept           { return ok(); }

    T& operator*() &                                  { jassert (ok()); return std::get<0> (content); }
    const T& operator*() const&                       { jassert (ok()); return std::get<0> (content); }
    T&& operator*() &&                                { jassert (ok()); return std::get<0> (std::move (content)); }
    T* operator->()                                   { return &**this; }
    const T* operator->() const                       { return &**this; }

    const Failure& failure() const                    { jassert (! ok()); return std::get<1> (content); }
    const juce::String& message() const               { return failure().message; }

private:
    std::variant<T, Failure> content;
};

// The same where nothing comes back.
template <>
class [[nodiscard]] Expected<void>
{
public:
    Expected() = default;
    Expected (Failure failure) : problem (std::move (failure)), failed (true) {}

    bool ok() const noexcept                          { return ! failed; }
    explicit operator bool() const noexcept           { return ok(); }

    const Failure& failure() const                    { jassert (failed); return problem; }
    const juce::String& message() const               { return failure().message; }

private:
    Failure problem;
    bool failed = false;
};
