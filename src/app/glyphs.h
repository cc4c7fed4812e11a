#pragma once

#include <QPixmap>

namespace naxo {

// ImageList1: the five glyphs of the Update column, by update state code
// (dim check, bright check, circular arrow, crossed tools, circular arrow).
QPixmap glyph(int code, int size);
QPixmap logo(int size);
// Renders the five glyphs at this size ahead of their first use.
void warmGlyphs(int size);

} // namespace naxo
