#include "gui/MessageViewer.h"

#include <algorithm>
#include <cmath>

#include "engine/Zub.h"
#include "gfx/Camera.h"
#include "gfx/ZubGraphics.h"
#include "gui/GuiClassIds.h"
#include "gui/GuiEnvironment.h"
#include "sys/Logger.h"
#include "text/FontQuad.h"
#include "text/TextBlock.h"

ZUB_IMPLEMENT_CLASS_ABSTRACT(MessageViewer, ZubBase, gui_ids::MessageViewer)

MessageViewer::MessageViewer() : pFont(gui::font(u"fontMediumOutline")) {
    const ZubGraphics* g = ZubGraphics::active();
    maxWidth = (g ? g->referenceWidth : REFERENCE_WIDTH) - 10;
    lineSpacing = -static_cast<float>(pFont->height);
}

MessageViewer::~MessageViewer() = default;

double MessageViewer::now() const { return ZUB ? ZUB->currentTime : clock; }

void MessageViewer::addMessage(WString message) {
    ZUB_LOG(u"> %s", message);
    TextBlock block(pFont, static_cast<float>(maxWidth), std::fabs(lineSpacing), message);
    for (int l = 0; l < block.lineCount(); ++l) {
        const TextLine* line = block.getLine(l);
        for (int r = 0; r < line->runCount(); ++r) lines.push_back(line->getRun(r)->text);
    }
    if (lines.size() > maxLines) lines.erase(lines.begin(), lines.end() - maxLines);
    lastMessageTime = now();
}

void MessageViewer::tick(double time, double) {
    clock = time;
    if (fadeTime > 0.0)
        visibility = 1.0f - static_cast<float>(std::clamp(now() - (lastMessageTime + fadeTime - 1.0), 0.0, 1.0));
    else
        visibility = 1.0f;
}

void MessageViewer::render() {
    if (bHidden || !(visibility > 0.0f) || !pFont) return;
    const uint32_t alpha = static_cast<uint32_t>(visibility * static_cast<float>(color >> 24));
    const uint32_t full = (color & 0x00FFFFFFu) | (alpha << 24);
    float y = position.y;
    if (bBottomAnchored && !lines.empty()) y -= static_cast<float>(lines.size() - 1) * lineSpacing;
    y = std::trunc(y);
    for (size_t k = 0; k < lines.size(); ++k) {
        uint32_t c = full;
        if (bDimOlder && k + 1 != lines.size()) {
            const uint32_t r = ((c >> 16) & 0xFF) / 2, gr = ((c >> 8) & 0xFF) / 2, b = (c & 0xFF) / 2;
            c = (c & 0xFF000000u) | (r << 16) | (gr << 8) | b;
        }
        pFont->drawText(position.x, y, position.z, c, textFlags, lines[k]);
        y += lineSpacing;
    }
}
