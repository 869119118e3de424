// Screenshots against reference images kept in the repository.
#pragma once

#include <QImage>
#include <QRect>
#include <QString>

#include <functional>

// Whether two images have the same size and agree within `tolerance` per
// colour channel.
bool sameWithin(const QImage& a, const QImage& b, int tolerance);

// Grabs until the `area` of a grab matches the PNG `reference` within
// `tolerance` (for up to ten seconds: the window may still be painting);
// on a mismatch the area as last shown is saved beside the reference as
// "<name>.actual.png".
bool matchesReference(const std::function<QImage()>& grab, const std::function<QRect(const QImage&)>& area,
                      const QString& reference, int tolerance);
