#include "text/TextBlock.h"

#include <algorithm>
#include <deque>
#include <vector>

#include "sys/ErrorManager.h"
#include "text/FontQuad.h"
#include "text/TextMarkup.h"

ZUB_IMPLEMENT_NAMED_CLASS(TextRun, ZubBase, u"TextRun")
ZUB_IMPLEMENT_NAMED_CLASS(TextLine, ZubBase, u"TextLine")
ZUB_IMPLEMENT_NAMED_CLASS(TextBlock, ZubBase, u"TextBlock")

namespace {

// The children of `parent` in order, as T*, from `index` while the children
// have not changed since it was made.
template <class T>
const std::vector<T*>& indexedChildren(const ZubBase* parent, std::vector<T*>& index, uint64_t& stamp) {
    if (stamp != parent->childrenStamp()) {
        index.clear();
        for (ZubBase* c = parent->firstChild; c; c = c->nextSibling) index.push_back(static_cast<T*>(c));
        stamp = parent->childrenStamp();
    }
    return index;
}

template <class T>
T* at(const std::vector<T*>& index, int i) {
    return i >= 0 && static_cast<size_t>(i) < index.size() ? index[static_cast<size_t>(i)] : nullptr;
}

struct Unit {
    char16_t c;
    uint32_t colour;
};

// The runs a line of units makes: one per change of colour.
int runsOf(const std::vector<Unit>& units) {
    int runs = units.empty() ? 0 : 1;
    for (size_t i = 1; i < units.size(); ++i) runs += units[i].colour != units[i - 1].colour;
    return runs;
}

}  // namespace

uint64_t TextBlock::builtLines = 0;

const std::vector<TextRun*>& TextLine::runs() const { return indexedChildren(this, runIndex, runIndexStamp); }

TextRun* TextLine::getRun(int index) const { return at(runs(), index); }

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

TextBlock::TextBlock(FontQuad* f, float w, float spacing, std::u16string_view t, uint32_t keep)
    : font(f), maxWidth(w), lineSpacing(spacing), text(t), keepRuns(keep) {
    layout();
}

const std::vector<TextLine*>& TextBlock::lines() const { return indexedChildren(this, lineIndex, lineIndexStamp); }

TextLine* TextBlock::getLine(int index) const { return at(lines(), index); }

void TextBlock::layout() {
    ZUB_ASSERT(font != nullptr);
    destroyChildren();
    width = height = 0;
    lineStep = lineSpacing < 0 ? static_cast<float>(font->height) : lineSpacing;
    if (text.empty()) return;

    const float scale = font->currentScale();
    const bool limited = maxWidth > 0;
    auto advance = [&](char16_t c) { return font->advanceOf(c) * scale; };

    // Builds a line at the place it has in the whole text.
    auto build = [&](const std::vector<Unit>& units, float y) {
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
        ++builtLines;
    };

    // With keepRuns, the last lines that hold runs wait here until the end,
    // as few as hold keepRuns runs.
    struct Held {
        std::vector<Unit> units;
        float y;
        int64_t runs;
    };
    std::deque<Held> held;
    int64_t heldRuns = 0;
    int64_t linesInText = 0;
    float lineY = 0;

    std::vector<Unit> line, spaces, word;
    float lineW = 0, spacesW = 0, wordW = 0;
    auto endLine = [&] {
        if (keepRuns == 0) {
            build(line, lineY);
        } else if (const int64_t runs = runsOf(line); runs > 0) {
            held.push_back(Held{std::move(line), lineY, runs});
            heldRuns += runs;
            // (keepRuns is at least 1, so the last line always stays.)
            while (heldRuns - held.front().runs >= static_cast<int64_t>(keepRuns)) {
                heldRuns -= held.front().runs;
                held.pop_front();
            }
        }
        line.clear();
        lineW = 0;
        ++linesInText;
        lineY -= lineStep;
    };
    // A word wider than the width is broken between characters.
    auto placeCharacter = [&](const Unit& u) {
        const float a = advance(u.c);
        if (!line.empty() && lineW + a > maxWidth) endLine();
        line.push_back(u);
        lineW += a;
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
            for (const Unit& u : word) placeCharacter(u);
        } else {
            line.insert(line.end(), word.begin(), word.end());
            lineW += wordW;
        }
        word.clear();
        wordW = 0;
    };

    // Whether no character from `from` on moves the pen back (asked once).
    int noNegative = -1;
    auto noNegativeAdvanceFrom = [&](size_t from) {
        if (noNegative < 0) {
            noNegative = 1;
            for (size_t k = from; k < text.size() && noNegative; ++k) noNegative = advance(text[k]) >= 0;
        }
        return noNegative == 1;
    };
    bool breaking = false;  // the present word is being broken as it comes

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
            breaking = false;
            spaces.clear();
            spacesW = 0;
            endLine();
        } else if (c == u' ') {
            placeWord();
            breaking = false;
            spaces.push_back(Unit{c, colour});
            spacesW += advance(c);
        } else if (breaking) {
            placeCharacter(Unit{c, colour});
        } else {
            word.push_back(Unit{c, colour});
            wordW += advance(c);
            // Once wider than the width (and when no later character can
            // make it narrower again), the word is broken as it comes
            // instead of being held whole.
            if (limited && wordW > maxWidth && noNegativeAdvanceFrom(i)) {
                placeWord();
                breaking = true;
            }
        }
    }
    placeWord();
    endLine();

    for (const Held& h : held) build(h.units, h.y);
    height = static_cast<float>(linesInText) * lineStep;
}
