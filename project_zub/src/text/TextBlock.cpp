#include "text/TextBlock.h"

#include <algorithm>
#include <vector>

#include "sys/ErrorManager.h"
#include "text/FontQuad.h"
#include "text/TextMarkup.h"

ZUB_IMPLEMENT_NAMED_CLASS(TextRun, ZubBase, u"TextRun")
ZUB_IMPLEMENT_NAMED_CLASS(TextLine, ZubBase, u"TextLine")
ZUB_IMPLEMENT_NAMED_CLASS(TextBlock, ZubBase, u"TextBlock")

namespace {

template <class T>
T* childAt(const ZubBase* parent, int index) {
    int i = 0;
    for (ZubBase* c = parent->firstChild; c; c = c->nextSibling, ++i)
        if (i == index) return static_cast<T*>(c);
    return nullptr;
}

struct Unit {
    char16_t c;
    uint32_t colour;
};

}  // namespace

TextRun* TextLine::getRun(int index) const { return childAt<TextRun>(this, index); }

WString TextLine::plainText() const {
    WString s;
    for (const TextRun* r : childrenOf<TextRun>(this)) s += r->text;
    return s;
}

WString TextLine::markupText() const {
    WString s;
    for (const TextRun* r : childrenOf<TextRun>(this)) {
        s += text_markup::switchFor(r->color);
        s += r->text;
    }
    return s;
}

TextBlock::TextBlock(FontQuad* f, float w, float spacing, std::u16string_view t)
    : font(f), maxWidth(w), lineSpacing(spacing), text(t) {
    layout();
}

TextLine* TextBlock::getLine(int index) const { return childAt<TextLine>(this, index); }

void TextBlock::layout() {
    ZUB_ASSERT(font != nullptr);
    destroyChildren();
    width = height = 0;
    lineStep = lineSpacing < 0 ? static_cast<float>(font->height) : lineSpacing;
    if (text.empty()) return;

    const float scale = font->currentScale();
    const bool limited = maxWidth > 0;
    auto advance = [&](char16_t c) { return font->advanceOf(c) * scale; };

    std::vector<std::vector<Unit>> lines;
    std::vector<Unit> line, spaces, word;
    float lineW = 0, spacesW = 0, wordW = 0;
    auto endLine = [&] {
        lines.push_back(std::move(line));
        line.clear();
        lineW = 0;
    };
    auto placeWord = [&] {
        if (word.empty()) return;
        if (limited && !line.empty() && lineW + spacesW + wordW > maxWidth) {
            spaces.clear();
            spacesW = 0;
            endLine();
        }
        line.insert(line.end(), spaces.begin(), spaces.end());
        lineW += spacesW;
        spaces.clear();
        spacesW = 0;
        if (limited && lineW + wordW > maxWidth) {
            for (const Unit& u : word) {
                const float a = advance(u.c);
                if (!line.empty() && lineW + a > maxWidth) endLine();
                line.push_back(u);
                lineW += a;
            }
        } else {
            line.insert(line.end(), word.begin(), word.end());
            lineW += wordW;
        }
        word.clear();
        wordW = 0;
    };

    uint32_t colour = text_markup::DEFAULT_COLOUR;
    for (size_t i = 0; i < text.size();) {
        const char16_t c = text[i];
        if (c == text_markup::SWITCH) {
            uint32_t value = colour;
            bool ok = false;
            i += text_markup::readSwitch(text, i, value, ok);
            if (ok) colour = value;
            continue;
        }
        ++i;
        if (c == u'|' || c == u'\r') {
            placeWord();
            spaces.clear();
            spacesW = 0;
            endLine();
        } else if (c == u' ') {
            placeWord();
            spaces.push_back(Unit{c, colour});
            spacesW += advance(c);
        } else {
            word.push_back(Unit{c, colour});
            wordW += advance(c);
        }
    }
    placeWord();
    endLine();

    float y = 0;
    for (const std::vector<Unit>& units : lines) {
        TextLine* tl = new TextLine();
        tl->y = y;
        float x = 0;
        for (size_t i = 0; i < units.size();) {
            size_t j = i;
            WString piece;
            while (j < units.size() && units[j].colour == units[i].colour) piece.push_back(units[j++].c);
            TextRun* run = new TextRun();
            run->text = std::move(piece);
            run->color = units[i].colour;
            run->x = x;
            run->width = font->measureLine(run->text);
            x += run->width;
            tl->addChild(run);
            i = j;
        }
        tl->width = x;
        width = std::max(width, x);
        addChild(tl);
        y -= lineStep;
    }
    height = static_cast<float>(lines.size()) * lineStep;
}
