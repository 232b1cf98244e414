// EquivalenceTable: the five cases of Union, the order of classes and the
// minimum map.
#include "engine/components/equivalence_table.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <vector>

using Skewmend::EquivalenceTable;
using Classes = std::vector<std::vector<uint32_t>>;

TEST(EquivalenceTable, UnionCoversEveryCase) {
    EquivalenceTable t(10);
    t.Union(3, 5);  // neither has a class: a new class a, b
    EXPECT_EQ(t.Classes(), (Classes{{3, 5}}));
    t.Union(3, 5);  // same class: nothing
    t.Union(5, 3);
    EXPECT_EQ(t.Classes(), (Classes{{3, 5}}));
    t.Union(7, 5);  // only b has a class: a appended to it
    EXPECT_EQ(t.Classes(), (Classes{{3, 5, 7}}));
    t.Union(1, 2);
    t.Union(2, 9);  // only a has a class: b appended to it
    EXPECT_EQ(t.Classes(), (Classes{{3, 5, 7}, {1, 2, 9}}));
    t.Union(9, 7);  // different classes: b's class moves, in order, to a's
    EXPECT_EQ(t.Classes(), (Classes{{}, {1, 2, 9, 3, 5, 7}}));
    // Labels of the moved class now find the surviving class.
    t.Union(4, 3);
    EXPECT_EQ(t.Classes(), (Classes{{}, {1, 2, 9, 3, 5, 7, 4}}));
    t.Union(10, 6);
    EXPECT_EQ(t.Classes(), (Classes{{}, {1, 2, 9, 3, 5, 7, 4}, {10, 6}}));
}

TEST(EquivalenceTable, MinimumMapPointsMembersAtTheirSmallestLabel) {
    EquivalenceTable t(12);
    t.Union(8, 4);
    t.Union(6, 2);
    t.Union(4, 6);
    t.Union(11, 9);
    const std::vector<uint32_t> map = t.MinimumMap(10);
    //                                0  1  2  3  4  5  6  7  8  9  10
    EXPECT_EQ(map, (std::vector<uint32_t>{0, 0, 0, 0, 2, 0, 2, 0, 2, 0, 0}));
    EXPECT_EQ(t.MinimumMap(0), std::vector<uint32_t>{0});
}

TEST(EquivalenceTable, ALabelUnitedWithItselfStaysClassless) {
    EquivalenceTable t(4);
    t.Union(2, 2);
    EXPECT_TRUE(t.Classes().empty());
    t.Union(2, 3);
    EXPECT_EQ(t.Classes(), (Classes{{2, 3}}));
}

using EquivalenceTableDeathTest = ::testing::Test;

TEST_F(EquivalenceTableDeathTest, LabelAboveCapacityEndsTheProcess) {
    EXPECT_EXIT(
        {
            dup2(STDERR_FILENO, STDOUT_FILENO);
            EquivalenceTable t(4);
            t.Union(1, 5);
        },
        ::testing::ExitedWithCode(1), "Assert fail! File: \\.\\\\EquivalenceTable\\. Line: ");
}
