// Tolmar MSH Viewer - fresh memory made ready in one go.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include <cstddef>

// Asks the system to back size bytes from data with memory pages now, in one call, instead of one fault
// per page when they are first written. Only for big lists about to be filled; does nothing where the
// system has no such call.
void prefaultForWriting (void* data, size_t size) noexcept;
