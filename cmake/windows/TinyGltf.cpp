// Tolmar MSH Viewer - tinygltf compiled into the Windows build from Debian's header (Debian's library is
// for Linux). No image is ever decoded or encoded by it: the programs load and write their own.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
// (TINYGLTF_NO_STB_IMAGE and TINYGLTF_NO_STB_IMAGE_WRITE are set for every user of the header.)
#define TINYGLTF_IMPLEMENTATION
#include <tiny_gltf.h>
