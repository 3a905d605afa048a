#include "values/bounding_box.h"

namespace kerfwright {

void BoundingBox::include(double x, double y) {
    // Each bound is tested on its own, so a NaN fails every comparison and
    // leaves its axis as it was.
    if (x < minX) minX = x;
    if (y < minY) minY = y;
    if (x > maxX) maxX = x;
    if (y > maxY) maxY = y;
}

void BoundingBox::include(const BoundingBox& other) {
    if (other.isEmpty()) return;
    include(other.minX, other.minY);
    include(other.maxX, other.maxY);
}

BoundingBox BoundingBox::padded(double margin) const {
    if (isEmpty()) return *this;
    return {minX - margin, minY - margin, maxX + margin, maxY + margin};
}

}  // namespace kerfwright
