// Fonts of the windows: 宋体 where installed, else a Chinese (simplified) Noto face, chosen
// explicitly so that Qt never falls back to the Japanese variant of the CJK fonts.
#pragma once

#include <QFont>

namespace Fonts {

// The serif face (宋体 / SimSun, else Noto Serif CJK SC, else Noto Sans CJK SC).
QFont song(int pixelSize, bool bold = false);
// The sans face for captions and buttons (Noto Sans CJK SC where present).
QFont sans(int pixelSize, bool bold = false);
// Sets the application's default font to the sans face; call once after QApplication exists.
void applyApplicationFont();

} // namespace Fonts
