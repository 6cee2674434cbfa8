// Fills the window links (ui/WindowLinks.h) with the windows of the feature folders, so that a
// lower layer can open them. Called once at start-up, before the first window opens.
#pragma once

namespace App {

void linkWindows();

} // namespace App
