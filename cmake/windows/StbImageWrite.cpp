// Tolmar MSH Viewer - stb's PNG writer compiled into the Windows build from Debian's header.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>
