#pragma once
// Draws the console's shown lines over the frame: white system-font text with
// a dark shadow in the top left corner of the reference screen.
#include "gfx/VertexBuffer.h"

class Console;
class SystemFont;
class ZubGraphics;

class ConsoleView {
public:
    static constexpr int LINE_HEIGHT = 16;  // design units
    static constexpr float MARGIN = 8.0f;

    // Draws nothing when no line is shown or the system font is closed.
    void render(const Console& console, SystemFont* font, ZubGraphics& graphics);

private:
    VertexBuffer vertices;
};
