// Tolmar MSH Viewer - the reduced copies made in the background: handed over for the latest list only.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "app/GuiTestSupport.h"
#include "samples/SampleMeshes.h"
#include "view/ReducedCopies.h"

namespace
{
    std::shared_ptr<const DrawList> listOf (int balls)
    {
        auto mesh = std::make_shared<MshMesh>();
        buildBallBlock (*mesh, balls);
        auto list = std::make_shared<DrawList> (makeDrawList (mesh->root));
        list->keepAlive = mesh;
        return list;
    }
}

TEST (ReducedCopies, TheBoxesComeFirstThenTheSimplifiedCopy)
{
    std::vector<std::shared_ptr<const ReducedScene>> made;
    ReducedCopies copies ([&made] (std::shared_ptr<const ReducedScene> scene) { made.push_back (std::move (scene)); });
    const auto big = listOf (2000); // 600,000 triangles
    copies.start (big);
    ASSERT_TRUE (pumpUntil ([&made] { return made.size() == 2; }, 20000));
    EXPECT_TRUE (made[0]->source == big.get() && made[0]->triangles() == 2000 * 12) << "a box each";
    EXPECT_TRUE (made[1]->source == big.get() && made[1]->triangles() <= reducedTriangleBudget) << made[1]->triangles();
}

TEST (ReducedCopies, ACopyOfAListNoLongerShownIsNeverHandedOver)
{
    std::vector<std::shared_ptr<const ReducedScene>> made;
    ReducedCopies copies ([&made] (std::shared_ptr<const ReducedScene> scene) { made.push_back (std::move (scene)); });
    copies.start (listOf (2000));
    copies.start (listOf (10)); // too small to want a copy
    pump (3000);
    EXPECT_TRUE (made.empty());
}
