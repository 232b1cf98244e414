// NearestCentroid: for one centroid of a set, the nearest other centroid
// among those a caller accepts, exactly as a scan over all of them in index
// order would find it.
//
// The distance is the squared Euclidean one, formed as
// dCol * dCol + dRow * dRow with dCol and dRow the other centroid's column
// and row minus the query's; a centroid wins only when strictly nearer than
// every earlier one (so the lowest index wins ties) and nearer than
// kNoDistanceYet. Nearest() returns the index, or `none` when no accepted
// centroid qualifies, and leaves the winning squared distance in `best`.
//
// Instead of visiting every centroid, the query walks outward from its own
// place in a list sorted by row and stops on each side once dRow * dRow
// exceeds the best distance so far. That is exact: rounding is monotonic, so
// dRow * dRow grows (weakly) along the walk, and a rounded sum of two
// non-negative terms is never below either term, so every centroid past the
// stop is farther than the best and cannot even tie it. Ties are settled by
// index, as in the full scan.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/deskew/deskewer.h"

namespace Skewmend {

class NearestCentroid {
  public:
    static constexpr double kNoDistanceYet = 1e38;

    // `points` must outlive the object. Only the centroids `keep(i)` accepts
    // take part at all.
    template <typename Keep>
    NearestCentroid(const std::vector<Point>& points, Keep keep) : points_(points) {
        order_.reserve(points.size());
        for (size_t i = 0; i < points.size(); ++i) {
            if (keep(i)) {
                order_.push_back(i);
            }
        }
        std::sort(order_.begin(), order_.end(), [&](size_t a, size_t b) {
            return points[a].row < points[b].row || (points[a].row == points[b].row && a < b);
        });
        place_.assign(points.size(), order_.size());
        for (size_t p = 0; p < order_.size(); ++p) {
            place_[order_[p]] = p;
        }
    }

    // The nearest centroid j != i with accept(j), or `none`. Query i must
    // have been kept.
    template <typename Accept>
    size_t Nearest(size_t i, Accept accept, size_t none, double& best) const {
        best = kNoDistanceYet;
        size_t nearest = none;
        bool found = false;
        const Point& q = points_[i];
        auto consider = [&](size_t j) {
            if (j == i || !accept(j)) {
                return;
            }
            const double dCol = points_[j].column - q.column;
            const double dRow = points_[j].row - q.row;
            const double d2 = dCol * dCol + dRow * dRow;
            if (d2 < best || (found && d2 == best && j < nearest)) {
                best = d2;
                nearest = j;
                found = true;
            }
        };
        const size_t at = place_[i];
        for (size_t p = at + 1; p < order_.size(); ++p) {
            const double dRow = points_[order_[p]].row - q.row;
            if (dRow * dRow > best) {
                break;
            }
            consider(order_[p]);
        }
        for (size_t p = at; p-- > 0;) {
            const double dRow = points_[order_[p]].row - q.row;
            if (dRow * dRow > best) {
                break;
            }
            consider(order_[p]);
        }
        return nearest;
    }

  private:
    const std::vector<Point>& points_;
    std::vector<size_t> order_;  // kept centroids by row, ties by index
    std::vector<size_t> place_;  // position of each centroid in order_
};

}  // namespace Skewmend
