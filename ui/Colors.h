// Colours given as stored colour numbers (0x00BBGGRR: red in the low byte).
#pragma once

#include <QColor>

namespace Colors {

// The colour of a stored colour number: blue in bits 16..23, green 8..15, red 0..7.
inline QColor fromBgr(unsigned int bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

} // namespace Colors
