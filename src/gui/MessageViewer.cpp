#include "gui/MessageViewer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>

#include "engine/Zub.h"
#include "gfx/Camera.h"
#include "gfx/ZubGraphics.h"
#include "gui/GuiClassIds.h"
#include "gui/GuiEnvironment.h"
#include "sys/Logger.h"
#include "text/FontQuad.h"
#include "text/TextBlock.h"

ZUB_IMPLEMENT_CLASS_ABSTRACT(MessageViewer, ZubBase, gui_ids::MessageViewer)

namespace {

constexpr char kMethod[] = "MessageViewer::addMessage";

// Logs the lines of one message or reply as "> line" while they fit in a
// number of bytes of log; the line that does not fit is logged as far as it
// fits, then one line says how much is left out, and nothing more is logged.
// A message or a reply's line may come from a web server: it is logged with
// its control characters escaped, on one line of the log whatever it holds.
class MessageLog {
public:
    explicit MessageLog(size_t limit) : left(limit > NOTE_ROOM ? limit - NOTE_ROOM : 0) {}

    // How many characters of the line were logged: all of them unless the
    // limit was reached.
    size_t line(std::u16string_view text) {
        if (bStopped) return 0;
        // A line's bytes: a time prefix of at most 22, the method's name,
        // "(): > ", the text (at most 3 bytes a character, an escape one a
        // character of it) and CRLF.
        const size_t overhead = 22 + sizeof kMethod - 1 + 6 + 2;
        if (left < overhead) {
            bStopped = true;
            return 0;
        }
        size_t room = left - overhead, fit = 0;
        WString shown;
        for (; fit < text.size(); ++fit) {
            const size_t before = shown.size();
            appendEscapedForLog(shown, text[fit]);
            const size_t added = shown.size() - before;
            const size_t bytes = added > 1 ? added : text[fit] < 0x80 ? 1 : 3;
            if (bytes > room) {
                shown.resize(before);
                break;
            }
            room -= bytes;
        }
        if (fit < text.size()) {
            bStopped = true;
            if (fit > 0 && text[fit - 1] >= 0xD800 && text[fit - 1] < 0xDC00) {  // not half a pair
                --fit;
                shown.pop_back();
            }
            if (fit == 0) return 0;
        }
        left -= std::min(left, Logger::get().log(u"%s(): > %s", kMethod, shown));
        return fit;
    }
    bool stopped() const { return bStopped; }
    // The line that ends a cut message or reply.
    static void leftOut(size_t characters) {
        Logger::get().log(u"%s(): the log leaves out the rest of this text (%d characters)", kMethod, characters);
    }

private:
    static constexpr size_t NOTE_ROOM = 160;  // for the line of leftOut
    size_t left;
    bool bStopped = false;
};

}  // namespace

MessageViewer::MessageViewer() : pFont(gui::font(u"fontMediumOutline")) {
    const ZubGraphics* g = ZubGraphics::active();
    maxWidth = (g ? g->referenceWidth : REFERENCE_WIDTH) - 10;
    lineSpacing = -static_cast<float>(pFont->height);
}

MessageViewer::~MessageViewer() = default;

double MessageViewer::now() const { return ZUB ? ZUB->currentTime : clock; }

void MessageViewer::addMessage(WString message) {
    MessageLog log(LOG_LIMIT);
    const size_t logged = log.line(message);
    if (log.stopped()) MessageLog::leftOut(message.size() - logged);
    std::vector<WString> runs;
    TextBlock block;
    wrapTail(block, message, maxLines, runs);
    lines.insert(lines.end(), std::make_move_iterator(runs.begin()), std::make_move_iterator(runs.end()));
    keepNewest();
    lastMessageTime = now();
}

void MessageViewer::addBlankLine() {
    MessageLog(LOG_LIMIT).line(u"");
    lines.emplace_back();
    keepNewest();
    lastMessageTime = now();
}

void MessageViewer::addReply(std::u16string_view reply) {
    // The reply's lines as splitLines makes them: from `start` to the next
    // '\n' (or the end), without a '\r' right before that '\n'.
    auto lineAt = [&](size_t start, size_t& next) {
        const size_t nl = reply.find(u'\n', start);
        if (nl == std::u16string_view::npos) {
            next = std::u16string_view::npos;
            return reply.substr(start);
        }
        next = nl + 1;
        std::u16string_view line = reply.substr(start, nl - start);
        if (!line.empty() && line.back() == u'\r') line.remove_suffix(1);
        return line;
    };

    // The log, from the first line on while it has room.
    MessageLog log(LOG_LIMIT);
    for (size_t start = 0; start != std::u16string_view::npos;) {
        size_t next = 0;
        const std::u16string_view line = lineAt(start, next);
        const size_t logged = log.line(line);
        if (log.stopped()) {
            MessageLog::leftOut(reply.size() - (start + logged));
            break;
        }
        start = next;
    }

    // The screen keeps only the last maxLines runs: the lines are wrapped
    // from the last one back until they give that many.
    std::vector<std::vector<WString>> kept;  // newest line first
    std::vector<WString> runs;
    size_t got = 0;
    TextBlock block;
    for (size_t end = reply.size();;) {
        // The line that ends at `end` (at a '\n', or the reply's end).
        const size_t nl = end == 0 ? std::u16string_view::npos : reply.rfind(u'\n', end - 1);
        const size_t start = nl == std::u16string_view::npos ? 0 : nl + 1;
        size_t next = 0;
        const std::u16string_view line = lineAt(start, next);
        if (wrapTail(block, line, maxLines - got, runs) > 0) {
            got += runs.size();
            kept.push_back(std::move(runs));
            runs.clear();
        }
        if (start == 0 || got >= maxLines) break;
        end = start - 1;
    }
    for (auto it = kept.rbegin(); it != kept.rend(); ++it)
        lines.insert(lines.end(), std::make_move_iterator(it->begin()), std::make_move_iterator(it->end()));
    keepNewest();
    lastMessageTime = now();
}

size_t MessageViewer::wrapTail(TextBlock& block, std::u16string_view text, size_t wanted,
                               std::vector<WString>& out) const {
    if (text.empty() || wanted == 0) return 0;
    block.font = pFont;
    block.maxWidth = static_cast<float>(maxWidth);
    block.lineSpacing = std::fabs(lineSpacing);
    block.text = text;
    block.keepRuns = static_cast<uint32_t>(std::min<size_t>(wanted, UINT32_MAX));
    block.layout();
    // The built lines hold at least `wanted` runs when the text has that
    // many; the first line may hold more.
    size_t skip = 0;
    for (const TextLine* line : childrenOf<TextLine>(block)) skip += static_cast<size_t>(line->runCount());
    skip = skip > wanted ? skip - wanted : 0;
    const size_t before = out.size();
    for (const TextLine* line : childrenOf<TextLine>(block))
        for (const TextRun* run : childrenOf<TextRun>(line)) {
            if (skip > 0) --skip;
            else out.push_back(run->text);
        }
    return out.size() - before;
}

void MessageViewer::keepNewest() {
    if (lines.size() > maxLines) lines.erase(lines.begin(), lines.end() - maxLines);
}

void MessageViewer::tick(double time, double) {
    clock = time;
    if (fadeTime > 0.0)
        visibility = 1.0f - static_cast<float>(std::clamp(now() - (lastMessageTime + fadeTime - 1.0), 0.0, 1.0));
    else visibility = 1.0f;
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
