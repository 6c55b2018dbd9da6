// Twips (1440 to the inch) to pixels at the display's real DPI.
#pragma once

namespace ui {

int ScreenDpi();
// Rounds to the nearest pixel, symmetrically for negative positions.
int TwipsToPixels(int twips, int dpi);
int PixelsToTwips(int pixels, int dpi);

}  // namespace ui
