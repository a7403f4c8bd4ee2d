#pragma once
// The primary screen's size in twips.

namespace Screen {
int Width();
int Height();
}  // namespace Screen
