#pragma once

// Painting a scene with QPainter, following the same rules as the SVG writer.

#include <Mermaid/MermaidScene.h>

#include <QByteArray>
#include <QImage>

#include <optional>

class QPainter;

namespace Mermaid {

/// A one-page PDF whose page is the scene's size in points; empty when the scene has no area
/// or the PDF cannot be written.
QByteArray pdfData(const MermaidScene &scene);

/// The scene at `scale` pixels per point (at least 0.01) in premultiplied sRGB RGBA; nothing
/// when the image would be empty or wider or taller than 32767 pixels.
std::optional<QImage> bitmapImage(const MermaidScene &scene, double scale);

/// Paints the scene onto a painter whose coordinates are already the scene's (origin
/// top-left, y downwards, one unit per point). Leaves the painter's state as it found it.
void drawScene(const MermaidScene &scene, QPainter &painter);

} // namespace Mermaid
