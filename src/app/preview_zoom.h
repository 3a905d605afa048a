#pragma once
// Where the preview shows its drawing once the user zooms or pans: a
// rectangle in the preview's own pixels. Until then the page lays the
// drawing out itself, centred and at most 96 % of the view, never enlarged.

#include <QPointF>
#include <QRectF>
#include <QSizeF>

namespace kerfwright::app::PreviewZoom {

// The page's own layout of a drawing of `millimeters` in a view of `view`.
QRectF initialPlacement(QSizeF millimeters, QSizeF view);

// As large as fits in 96 % of the view, centred.
QRectF fitted(QSizeF millimeters, QSizeF view);

// `pixelsPerMillimeter` on screen, around the middle of the view.
QRectF atScale(const QRectF& placement, QSizeF millimeters, QSizeF view, double pixelsPerMillimeter);

// `factor` times larger, the point under `anchor` staying put; no smaller
// than a quarter of the fit and no larger than `largestPixelsPerMillimeter`.
QRectF zoomedAround(const QRectF& placement, QPointF anchor, double factor, QSizeF millimeters, QSizeF view,
                    double largestPixelsPerMillimeter);

// How much larger each wheel step makes the drawing; a step back undoes it.
inline constexpr double kWheelStepFactor = 1.25;

}  // namespace kerfwright::app::PreviewZoom
