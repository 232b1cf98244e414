// ConnectedComp: the neighbour rules, the component cap, label exhaustion,
// the border, the no-renumbering mode, and a plain column-by-column
// reference labeller that random masks are compared against bit for bit.
#include "engine/components/connected_comp.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

using BmpBase::Plane32;
using Skewmend::ConnectedComp;
using Skewmend::EquivalenceTable;
using Skewmend::PixelMask;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

namespace {

constexpr uint32_t kMaxLabels = 10240;
constexpr uint32_t kMaxComponents = 1024;

PixelMask MaskWith(uint16_t rows, uint16_t cols,
                   const std::vector<std::pair<uint32_t, uint32_t>>& ink) {
    PixelMask mask(static_cast<size_t>(rows) * cols);
    for (const auto& [r, c] : ink) {
        mask.Set(static_cast<size_t>(r) * cols + c);
    }
    return mask;
}

// Separate one-pixel dots at odd rows and columns, `perColumn` to a column.
PixelMask Dots(uint16_t rows, uint16_t cols) {
    PixelMask mask(static_cast<size_t>(rows) * cols);
    for (uint32_t c = 1; c + 1 < cols; c += 2) {
        for (uint32_t r = 1; r + 1 < rows; r += 2) {
            mask.Set(static_cast<size_t>(r) * cols + c);
        }
    }
    return mask;
}

struct Labelling {
    Plane32 labels;
    uint32_t count = 0;
    uint16_t lastColumn = 0;
    bool ok = false;
};

// The labeller as a plain loop over the label plane, column by column.
Labelling ReferenceLabelling(const PixelMask& mask, uint16_t rows, uint16_t cols,
                             uint32_t maxLabels, uint32_t maxComponents) {
    Labelling out;
    out.labels = Plane32(rows, cols, 0);
    EquivalenceTable table(maxLabels);
    out.lastColumn = cols < 3 ? 0 : static_cast<uint16_t>(cols - 2);
    out.ok = true;
    uint32_t** L = out.labels.rows;
    for (int x = 1; x <= cols - 2 && out.ok; ++x) {
        for (int y = 1; y <= rows - 2; ++y) {
            if (!mask[static_cast<size_t>(y) * cols + x]) {
                continue;
            }
            const uint32_t u = L[y - 1][x], ul = L[y - 1][x - 1], l = L[y][x - 1],
                           dl = L[y + 1][x - 1];
            if (u != 0) {
                L[y][x] = u;
                if (ul != 0 && ul != u)
                    table.Union(ul, u);
                if (l != 0 && l != u)
                    table.Union(l, u);
                if (dl != 0 && dl != u)
                    table.Union(dl, u);
            } else if (ul != 0) {
                L[y][x] = ul;
                if (dl != 0 && dl != ul)
                    table.Union(dl, ul);
            } else if (l != 0) {
                L[y][x] = l;
            } else if (out.count == maxLabels) {
                out.lastColumn = static_cast<uint16_t>(x);
                out.ok = false;
                break;
            } else {
                L[y][x] = ++out.count;
            }
        }
    }
    std::vector<uint32_t> map(out.count + 1, 0);
    for (const auto& members : table.Classes()) {
        if (members.empty())
            continue;
        uint32_t m = members[0];
        for (uint32_t e : members)
            m = std::min(m, e);
        for (uint32_t e : members) {
            if (e != m)
                map[e] = m;
        }
    }
    const bool renumber = maxComponents != ConnectedComp::kNoRenumbering;
    if (renumber) {
        uint32_t counter = 0;
        uint32_t last = 0;
        for (uint32_t l = 1; l <= out.count; ++l) {
            if (map[l] != 0) {
                map[l] = map[map[l]];
            } else {
                map[l] = ++counter;
                if (counter == maxComponents) {
                    last = l;
                    break;
                }
            }
        }
        if (last != 0) {
            for (uint32_t l = last + 1; l <= out.count; ++l) {
                map[l] = (map[l] != 0 && map[l] <= last) ? map[map[l]] : 0;
            }
        }
        out.count = counter;
    }
    for (int x = 1; x <= out.lastColumn; ++x) {
        for (int y = 1; y <= rows - 2; ++y) {
            if (mask[static_cast<size_t>(y) * cols + x]) {
                const uint32_t v = map[L[y][x]];
                if (renumber || v != 0)
                    L[y][x] = v;
            }
        }
    }
    return out;
}

Labelling Label(const PixelMask& mask, uint16_t rows, uint16_t cols,
                uint32_t maxLabels = kMaxLabels, uint32_t maxComponents = kMaxComponents) {
    ConnectedComp cc(mask, rows, cols, maxLabels, maxComponents);
    Labelling out;
    out.ok = cc.BuildCC();
    out.labels = std::move(cc.labels);
    out.count = cc.labelCount;
    out.lastColumn = cc.lastColumn;
    return out;
}

bool SamePlane(const Plane32& a, const Plane32& b) {
    if (a.height != b.height || a.width != b.width)
        return false;
    for (size_t i = 0; i < a.ElementCount(); ++i) {
        if (a.Data()[i] != b.Data()[i])
            return false;
    }
    return true;
}

}  // namespace

TEST(ConnectedComp, MaskWithoutInkHasNoComponents) {
    const Labelling l = Label(PixelMask(12 * 9), 12, 9);
    EXPECT_TRUE(l.ok);
    EXPECT_EQ(l.count, 0u);
    EXPECT_EQ(l.lastColumn, 7);
    EXPECT_TRUE(SamePlane(l.labels, Plane32(12, 9, 0)));
}

TEST(ConnectedComp, BorderPixelsAreNeverLabelled) {
    // Ink everywhere: only the interior is one component.
    PixelMask full(8 * 6);
    full.InvertAll();
    const Labelling l = Label(full, 8, 6);
    EXPECT_EQ(l.count, 1u);
    for (uint32_t r = 0; r < 8; ++r) {
        for (uint32_t c = 0; c < 6; ++c) {
            const bool interior = r > 0 && r < 7 && c > 0 && c < 5;
            EXPECT_EQ(l.labels.rows[r][c], interior ? 1u : 0u) << r << "," << c;
        }
    }
    // A component lying wholly on the border does not exist.
    const Labelling border = Label(MaskWith(8, 6, {{0, 0}, {0, 1}, {0, 2}, {7, 3}, {3, 5}}), 8, 6);
    EXPECT_EQ(border.count, 0u);
}

// Corner contacts: (row, column) pairs of two ink pixels and whether they
// end in one component.
struct CornerCase {
    const char* name;
    std::pair<uint32_t, uint32_t> first;
    std::pair<uint32_t, uint32_t> second;
    uint32_t components;
};

class CornerContact : public testing::TestWithParam<CornerCase> {};

TEST_P(CornerContact, LinksOnlyThroughUpperLeft) {
    const CornerCase& tc = GetParam();
    const Labelling l = Label(MaskWith(10, 10, {tc.first, tc.second}), 10, 10);
    EXPECT_EQ(l.count, tc.components);
    EXPECT_EQ(l.labels.rows[tc.first.first][tc.first.second], 1u);
    EXPECT_EQ(l.labels.rows[tc.second.first][tc.second.second], tc.components);
}

INSTANTIATE_TEST_SUITE_P(
    Pairs, CornerContact,
    testing::Values(CornerCase{"UpperLeftContactJoins", {4, 3}, {5, 4}, 1},
                    CornerCase{"LowerLeftOnlyContactStaysTwoComponents", {5, 3}, {4, 4}, 2},
                    CornerCase{"LeftContactJoins", {4, 3}, {4, 4}, 1},
                    CornerCase{"VerticalContactJoins", {4, 3}, {5, 3}, 1}),
    [](const testing::TestParamInfo<CornerCase>& param) { return param.param.name; });

TEST(ConnectedComp, LowerLeftContactJoinsOnceAPixelAboveLinksBoth) {
    // (4,4) starts its own label beside its lower-left (5,3); (5,4) below it
    // takes that label and unites it with its left neighbour (5,3).
    const Labelling l = Label(MaskWith(10, 10, {{5, 3}, {4, 4}, {5, 4}}), 10, 10);
    EXPECT_EQ(l.count, 1u);
}

TEST(ConnectedComp, StrokesJoinedAtTheirLowEndsResolveToTheSmallerLabel) {
    // Strokes in columns 3 and 6, rows 2 .. 8, joined along row 8.
    std::vector<std::pair<uint32_t, uint32_t>> ink;
    for (uint32_t r = 2; r <= 8; ++r) {
        ink.push_back({r, 3});
        ink.push_back({r, 6});
    }
    ink.push_back({8, 4});
    ink.push_back({8, 5});
    ink.push_back({3, 8});  // a separate dot after them
    const PixelMask mask = MaskWith(11, 11, ink);

    ConnectedComp provisional(mask, 11, 11, kMaxLabels, kMaxComponents);
    EquivalenceTable table(kMaxLabels);
    uint32_t count = 0;
    uint16_t lastColumn = 0;
    EXPECT_TRUE(provisional.LabelPass(provisional.labels, table, count, lastColumn));
    EXPECT_EQ(count, 3u);
    EXPECT_EQ(lastColumn, 9);
    EXPECT_EQ(provisional.labels.rows[2][6], 2u);
    EXPECT_EQ(table.Classes(), (std::vector<std::vector<uint32_t>>{{1, 2}}));

    const Labelling renumbered = Label(mask, 11, 11);
    EXPECT_EQ(renumbered.count, 2u);
    EXPECT_EQ(renumbered.labels.rows[2][6], 1u);
    EXPECT_EQ(renumbered.labels.rows[3][8], 2u);

    // Without renumbering the labels become class minima, with a gap.
    const Labelling minima = Label(mask, 11, 11, kMaxLabels, ConnectedComp::kNoRenumbering);
    EXPECT_EQ(minima.count, 3u);
    EXPECT_EQ(minima.labels.rows[2][6], 1u);
    EXPECT_EQ(minima.labels.rows[3][8], 3u);
}

TEST(ConnectedComp, ComponentsPastTheCapLoseTheirLabels) {
    // 103 columns of 10 dots: 1030 components in column-major order.
    const PixelMask mask = Dots(21, 207);
    const Labelling l = Label(mask, 21, 207);
    EXPECT_TRUE(l.ok);
    EXPECT_EQ(l.count, 1024u);
    for (uint32_t k = 0; k < 1030; ++k) {
        const uint32_t r = 1 + 2 * (k % 10);
        const uint32_t c = 1 + 2 * (k / 10);
        EXPECT_EQ(l.labels.rows[r][c], k < 1024 ? k + 1 : 0u) << k;
    }
}

TEST(ConnectedComp, ExhaustedLabelsStopTheScanAtThatColumn) {
    // 1025 columns of 10 dots: the 10241st label is needed at column 2049.
    const PixelMask mask = Dots(21, 2051);
    const Labelling l = Label(mask, 21, 2051);
    EXPECT_FALSE(l.ok);
    EXPECT_EQ(l.lastColumn, 2049);
    EXPECT_EQ(l.count, 1024u);
    const Labelling all = Label(mask, 21, 2051, kMaxLabels, ConnectedComp::kNoRenumbering);
    EXPECT_FALSE(all.ok);
    EXPECT_EQ(all.count, kMaxLabels);
    EXPECT_EQ(all.labels.rows[19][2047], kMaxLabels);
    for (uint32_t r = 0; r < 21; ++r) {
        EXPECT_EQ(all.labels.rows[r][2049], 0u) << r;
    }
}

TEST(ConnectedComp, ResolutionMergesLabelsOfAnotherLabelling) {
    const PixelMask mask = MaskWith(9, 9, {{2, 2}, {5, 2}, {2, 5}, {5, 5}});
    const Labelling l = Label(mask, 9, 9);
    ASSERT_EQ(l.count, 4u);
    Plane32 labels = l.labels;
    ConnectedComp merger(mask, 9, 9, kMaxLabels, ConnectedComp::kNoRenumbering);
    EquivalenceTable pairs(kMaxLabels);
    pairs.Union(4, 1);
    pairs.Union(3, 2);
    uint32_t count = l.count;
    merger.ResolveLabels(pairs, count, l.lastColumn, labels);
    EXPECT_EQ(count, 4u);
    EXPECT_EQ(labels.rows[2][2], 1u);
    EXPECT_EQ(labels.rows[5][2], 2u);
    EXPECT_EQ(labels.rows[2][5], 2u);
    EXPECT_EQ(labels.rows[5][5], 1u);
}

// Masks without an interior, and masks that do not match their size.
struct SmallCase {
    uint16_t rows;
    uint16_t cols;
};

class TinyMask : public testing::TestWithParam<SmallCase> {};

TEST_P(TinyMask, HasNoComponentsAndNoLastColumn) {
    const SmallCase& tc = GetParam();
    PixelMask full(static_cast<size_t>(tc.rows) * tc.cols);
    full.InvertAll();
    const Labelling l = Label(full, tc.rows, tc.cols);
    EXPECT_TRUE(l.ok);
    EXPECT_EQ(l.count, 0u);
    EXPECT_EQ(l.lastColumn, tc.cols < 3 ? 0 : tc.cols - 2);
    EXPECT_EQ(l.labels.height, tc.rows);
    EXPECT_EQ(l.labels.width, tc.cols);
    for (size_t i = 0; i < l.labels.ElementCount(); ++i) {
        EXPECT_EQ(l.labels.Data()[i], 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, TinyMask,
                         testing::Values(SmallCase{0, 0}, SmallCase{1, 1}, SmallCase{2, 50},
                                         SmallCase{50, 2}, SmallCase{3, 2}, SmallCase{2, 3},
                                         SmallCase{0, 7}, SmallCase{7, 0}),
                         [](const testing::TestParamInfo<SmallCase>& param) {
                             return std::to_string(param.param.rows) + "x" +
                                    std::to_string(param.param.cols);
                         });

TEST(ConnectedComp, MaskSmallerThanItsSizeIsRefused) {
    PixelMask small(20);
    small.InvertAll();
    CaptureStdout();
    const Labelling l = Label(small, 10, 10);
    EXPECT_EQ(GetCapturedStdout(), "ConnectedComp: the mask holds 20 flags, fewer than 10 x 10\n");
    EXPECT_FALSE(l.ok);
    EXPECT_EQ(l.count, 0u);
    EXPECT_EQ(l.lastColumn, 0);
}

// Random masks of many densities and shapes, with and without the cap and
// with labels that run out, against the plain reference.
TEST(ConnectedComp, MatchesThePlainLabellerOnRandomMasks) {
    std::mt19937 engine(20261207);
    auto rng = [&engine]() { return static_cast<uint32_t>(engine()); };
    for (int trial = 0; trial < 400; ++trial) {
        const auto rows = static_cast<uint16_t>(1 + rng() % 90);
        const auto cols = static_cast<uint16_t>(1 + rng() % 150);
        const uint32_t density = 5 + rng() % 70;  // percent of ink
        PixelMask mask(static_cast<size_t>(rows) * cols);
        for (size_t i = 0; i < mask.size(); ++i) {
            if (rng() % 100 < density) {
                mask.Set(i);
            }
        }
        const uint32_t maxLabels = trial % 3 == 0 ? 1 + rng() % 200 : kMaxLabels;
        const uint32_t maxComponents = trial % 4 == 0   ? ConnectedComp::kNoRenumbering
                                       : trial % 4 == 1 ? 1 + rng() % 40
                                                        : kMaxComponents;
        const Labelling got = Label(mask, rows, cols, maxLabels, maxComponents);
        const Labelling want = ReferenceLabelling(mask, rows, cols, maxLabels, maxComponents);
        ASSERT_EQ(got.ok, want.ok) << trial;
        ASSERT_EQ(got.count, want.count) << trial;
        ASSERT_EQ(got.lastColumn, want.lastColumn) << trial;
        ASSERT_TRUE(SamePlane(got.labels, want.labels)) << trial;
    }
}
