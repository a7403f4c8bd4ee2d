#pragma once
// The primary screen's size in twips.

namespace screen {
int widthTwips();
int heightTwips();
}  // namespace screen
