// Pixel sizes chosen for a 96-DPI display, scaled to the display's DPI.
#pragma once

int ScaleForDpi(int pixelsAt96Dpi);
