#include "preview_zoom.h"

#include <algorithm>

namespace kerfwright::app::PreviewZoom {
namespace {

// The page's size of a drawing: CSS pixels, 96 to the inch.
constexpr double kCssPixelsPerMillimeter = 96.0 / 25.4;
constexpr double kViewShare = 0.96;
constexpr double kSmallestShareOfFit = 0.25;

double fittingScale(QSizeF millimeters, QSizeF view) {
    return std::min(kViewShare * view.width() / millimeters.width(), kViewShare * view.height() / millimeters.height());
}

QRectF scaledAround(const QRectF& placement, QPointF anchor, double factor) {
    return QRectF(anchor + (placement.topLeft() - anchor) * factor, placement.size() * factor);
}

QRectF centred(QSizeF millimeters, QSizeF view, double pixelsPerMillimeter) {
    const QSizeF size = millimeters * pixelsPerMillimeter;
    return QRectF(QPointF((view.width() - size.width()) / 2, (view.height() - size.height()) / 2), size);
}

}  // namespace

QRectF initialPlacement(QSizeF millimeters, QSizeF view) {
    return centred(millimeters, view, std::min(kCssPixelsPerMillimeter, fittingScale(millimeters, view)));
}

QRectF fitted(QSizeF millimeters, QSizeF view) { return centred(millimeters, view, fittingScale(millimeters, view)); }

QRectF atScale(const QRectF& placement, QSizeF millimeters, QSizeF view, double pixelsPerMillimeter) {
    const QPointF middle(view.width() / 2, view.height() / 2);
    return scaledAround(placement, middle, pixelsPerMillimeter * millimeters.width() / placement.width());
}

QRectF zoomedAround(const QRectF& placement, QPointF anchor, double factor, QSizeF millimeters, QSizeF view,
                    double largestPixelsPerMillimeter) {
    const double smallest = kSmallestShareOfFit * fittingScale(millimeters, view);
    const double wanted = factor * placement.width() / millimeters.width();
    const double scale = std::clamp(wanted, std::min(smallest, largestPixelsPerMillimeter), largestPixelsPerMillimeter);
    return scaledAround(placement, anchor, scale * millimeters.width() / placement.width());
}

}  // namespace kerfwright::app::PreviewZoom
