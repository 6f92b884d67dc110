#pragma once

#include <QPalette>

namespace PreviewTest {

/// A palette on a light window and one on a dark window: the preview reads its appearance
/// from the window colour.
QPalette lightPalette();
QPalette darkPalette();

} // namespace PreviewTest
