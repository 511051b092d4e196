#pragma once

// The form names the Windows fonts; on Linux fontconfig is to pick the nearest CJK faces. Call
// once the application exists and before the window is built.
void substituteFormFonts();
