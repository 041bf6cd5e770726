// Tolmar MSH Viewer - fresh memory made ready in one go, where the system has no call for it: nothing.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "SystemMemory.h"

void prefaultForWriting (void*, size_t) noexcept {}
