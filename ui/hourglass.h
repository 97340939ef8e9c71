// The busy cursor's image: a 32 x 32 hourglass and its mask, in X bitmap order (rows of
// 4 bytes, least significant bit leftmost), ready for XCreateBitmapFromData.
#ifndef TARNWRIGHT_UI_HOURGLASS_H
#define TARNWRIGHT_UI_HOURGLASS_H

#include <array>

enum { HOURGLASS_SIZE = 32, HOURGLASS_HOT_X = 15, HOURGLASS_HOT_Y = 15 };

using HourglassBits = std::array<unsigned char, HOURGLASS_SIZE * HOURGLASS_SIZE / 8>;

const HourglassBits& hourglass_source_bits();
const HourglassBits& hourglass_mask_bits();
// Whether pixel (x, y) is set; false outside the image.
bool hourglass_bit(const HourglassBits& bits, int x, int y);

#endif
