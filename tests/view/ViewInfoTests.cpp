// Tolmar MSH Viewer - the overlay's words: counts with thousands separators, one or many.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "view/ViewInfo.h"

#include <gtest/gtest.h>

namespace
{
    struct Counted
    {
        std::string name;
        MshTotals totals;
        const char* line;
    };

    void PrintTo (const Counted& c, std::ostream* out) { *out << c.name; }

    class OverlayCounts : public ::testing::TestWithParam<Counted> {};
}

TEST_P (OverlayCounts, AreGroupedByThousandsAndSayOneOrMany)
{
    OverlayFacts facts;
    facts.totals = GetParam().totals;
    EXPECT_EQ (juce::String (GetParam().line), overlayLines (facts)[1]);
}

INSTANTIATE_TEST_SUITE_P (Totals, OverlayCounts, ::testing::Values (
    Counted { "one_each", { 1, 1, 1, 1, {} }, "1 object, 1 vertex, 1 triangle drawn, 1 left out" },
    Counted { "none", { 0, 0, 0, 0, {} }, "0 objects, 0 vertices, 0 triangles drawn, 0 left out" },
    Counted { "three_digits", { 999, 100, 2, 0, {} }, "999 objects, 100 vertices, 2 triangles drawn, 0 left out" },
    Counted { "thousands", { 1000, 65535, 9000000, 1234567, {} }, "1,000 objects, 65,535 vertices, 9,000,000 triangles drawn, 1,234,567 left out" }),
    [] (const auto& c) { return c.param.name; });
