#pragma once
// A small scrolling log on screen: each message is wrapped to maxWidth and
// its lines appended; only the newest maxLines lines are kept, drawn one
// under the other in one font and colour. With fadeTime set the block fades
// out during the last second before fadeTime has passed since the last
// message. The network pages and the crash report show their progress and
// replies in one.
//
//   viewer = new MessageViewer;
//   viewer->position = V3(0, -0.5f * viewer->maxLines * viewer->lineSpacing, 0);  // nine lines centred
//   page->addChild(viewer);
//   viewer->addMessage(gui::text(SID_STARTINGDOTS));
//
// Sizes are in reference (design) units. A hidden viewer (ZubBase::bHidden)
// draws nothing. The colours of markup in a message
// are not kept: each coloured run becomes a line of its own, drawn in
// `color`.
//
// Whatever its size, a message costs time in proportion to its length: only
// the lines that will be kept are built, and the log gets at most LOG_LIMIT
// bytes of one message or of one reply's lines (then one line saying that
// the rest is left out).
#include <cstdint>
#include <string_view>
#include <vector>

#include "object/ZubBase.h"
#include "util/Math.h"
#include "util/WString.h"

class FontQuad;
class TextBlock;

class MessageViewer : public ZubBase {
    ZUB_DECLARE_CLASS(MessageViewer)
public:
    // fontMediumOutline; as wide as the reference screen less 10; nine lines.
    MessageViewer();
    ~MessageViewer() override;

    // What the "> " lines of one message or reply (and the line where they
    // stop) add to the log at most: with the few lines a page writes about
    // the same reply, one reply stays within 64 KB of log.
    static constexpr size_t LOG_LIMIT = 60 * 1024;

    // Logs "> message", wraps it and appends its lines, dropping the oldest
    // beyond maxLines. An empty message adds no line but restarts the fade.
    void addMessage(WString message);
    // Logs "> " and appends an empty line (a gap of one line between
    // messages), dropping the oldest beyond maxLines; restarts the fade.
    void addBlankLine();
    // A web server's reply: its lines (split at '\n', a '\r' before each
    // '\n' dropped) one after the other as addMessage adds them, with one
    // limit on what they log together.
    void addReply(std::u16string_view reply);

    // The fade (does not tick children) and the drawing.
    void tick(double time, double dt) override;
    void render() override;

    int32_t maxWidth;
    uint32_t maxLines = 9;
    V3 position;
    float lineSpacing;             // from one line to the next; negative: downward
    uint32_t color = 0xFFFFFFFFu;  // its alpha is the full alpha
    int32_t textFlags = 4;         // centred
    double fadeTime = 0.0;         // 0: never fades
    uint8_t bBottomAnchored = 0;   // the newest line at `position`, older ones above
    uint8_t bDimOlder = 0;         // all lines but the newest at half brightness
    FontQuad* pFont;
    std::vector<WString> lines;  // oldest first
    double lastMessageTime = 0.0;
    float visibility = 1.0f;

private:
    double now() const;
    // Appends the last runs of `text` wrapped (at most `wanted` of them, in
    // order) to `out`; returns how many.
    // `block` is a scratch block, laid out again for each text.
    size_t wrapTail(TextBlock& block, std::u16string_view text, size_t wanted, std::vector<WString>& out) const;
    void keepNewest();
    double clock = 0.0;  // the time of the last tick, where no engine runs
};
