#include "gui/ContextMessageBox.h"

#include <algorithm>
#include <cmath>

#include "gfx/ZubGraphics.h"
#include "gui/GameSquare.h"
#include "gui/GuiClassIds.h"
#include "gui/GuiEnvironment.h"
#include "gui/MenuButton.h"
#include "lang/StringIds.h"
#include "text/FadingText.h"
#include "text/FontQuad.h"
#include "text/TextBlock.h"

ZUB_IMPLEMENT_CLASS(ContextMessageBox, ContextMenu, gui_ids::ContextMessageBox)

ContextMessageBox::ContextMessageBox() : button1Caption(gui::text(SID_OK)) { bDeleteWhenDone = 1; }

ContextMessageBox::~ContextMessageBox() = default;

void ContextMessageBox::build() {
    if (result) *result = -1;
    FontQuad* textFont = gui::font(u"fontMedium");
    FontQuad* titleFont = gui::font(u"fontLarge");
    const float lineStep = std::floor(static_cast<float>(textFont->height) * 1.25f);
    const ZubGraphics* g = ZubGraphics::active();
    const float referenceWidth = static_cast<float>(g ? g->referenceWidth : REFERENCE_WIDTH);
    TextBlock block(textFont, referenceWidth * 0.75f, lineStep, text);

    float width = 192.0f, height = 0.0f;
    if (!title.empty()) {
        width = std::max(width, titleFont->measureText(title).width);
        height = static_cast<float>(titleFont->height) + lineStep;
    }
    width = std::max(width, block.width);
    height += block.height;
    const int buttons = (button1Caption.empty() ? 0 : 1) + (button2Caption.empty() ? 0 : 1);
    if (buttons > 0) {
        height += lineStep + 50.0f;
        width = std::max(width, 330.0f);
    }
    if (buttons <= 1) bCloseOnFire = 1;
    width = std::max(width, height);  // never narrower than tall
    const float half = height * 0.5f;

    panelWidth = width + 100.0f;
    panelHeight = height + 100.0f;
    addChild(new GameSquare(position.x, position.y, position.z, panelWidth, panelHeight, true, u""));

    float y = half;
    if (!title.empty()) {
        auto* t = new FadingText(position + V3(0.0f, half, 0.0f), title, titleFont, 0xFFFFFFFFu);
        t->bShadow = 0;
        addChild(t);
        y = half - static_cast<float>(titleFont->height) - lineStep;
    }
    for (int i = 0; i < block.lineCount(); ++i) {
        const TextLine* line = block.getLine(i);
        float x = std::trunc(-line->width * 0.5f);
        for (const TextRun* run : childrenOf<TextRun>(line)) {
            auto* t = new FadingText(position + V3(x, y, 0.0f), run->text, textFont,
                                     run->color == 1 ? 0x80000000u : run->color);
            t->flags = 3;
            t->bShadow = 0;
            addChild(t);
            x = std::trunc(x + run->width);
        }
        y -= lineStep;
    }

    if (buttons > 0) {
        y -= lineStep;
        if (!button1Caption.empty()) {
            const float dx = buttons == 1 ? 0.0f : -85.0f;
            button1 = new MenuButton(position.x + dx, position.y + y - 25.0f, position.z, button1Caption, u"");
            button1->setWidth(160);
            addItem(button1);
        }
        if (!button2Caption.empty()) {
            button2 = new MenuButton(position.x + 85.0f, position.y + y - 25.0f, position.z, button2Caption, u"");
            button2->setWidth(160);
            addItem(button2);
        }
    }
}

void ContextMessageBox::tickContents(double time, double dt) {
    ContextMenu::tickContents(time, dt);
    if (button1 && button1->takeClick()) {
        if (result) *result = 0;
        done = 1;
    }
    if (button2 && button2->takeClick()) {
        if (result) *result = 1;
        done = 1;
    }
}

void ContextMessageBox::renderContents() {
    // The screen that asked stays visible behind the box.
    if (clearColor == 0)
        if (auto* below = zub_cast<Context>(prevSibling)) {
            below->renderContext();
            camera->apply();
        }
    ContextMenu::renderContents();
}

void ContextMessageBox::onActivate(bool firstTime) {
    ContextMenu::onActivate(firstTime);
    if (firstTime) gui::playSoundAtFrequency(u"pop", 1.0f);
}
