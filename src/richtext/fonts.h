#pragma once
// Notes written on Windows name Chinese Windows fonts (宋体, 黑体, ...). Where those are not
// installed, map them to a Chinese font that is, so that text looks right and the font
// fallback does not search for every character.

namespace fonts {
void installSubstitutes();
}
