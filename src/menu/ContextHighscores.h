#pragma once
// The local high-score table: the eight levels of one season at a time (a
// choice at the top picks the season), each row with the level's number,
// the name of the player who holds the entry and the entry's points, time
// and score. Rows shade from the season's colour toward the next season's.
// Entries are shown as stored, in level order: one without a result shows
// "..." and zeros. OK or Escape closes the page; "More options..." opens
// the high-score options (upload, world-wide table, reset).
#include <cstdint>

#include "gui/ContextMenu.h"
#include "util/WString.h"

class FadingText;
class MenuButton;

class ContextHighscores : public ContextMenu {
    ZUB_DECLARE_CLASS(ContextHighscores)
public:
    static constexpr uint32_t kSeasonColours[5] = {0xffffff00u, 0xff00ff00u, 0xff804000u, 0xffff8000u, 0xff80ffffu};

    // What one row shows: texts of the columns level, name, points (key1),
    // time and score (key2), its colour and height.
    struct Row {
        WString level, name, points, time, score;
        uint32_t colour = 0;
        float y = 0.0f;
    };

    ContextHighscores();
    ~ContextHighscores() override;

    // The menu, then the "More options..." click.
    void tickContents(double time, double dt) override;
    void renderContents() override;

    // Row i (0 to 7) of the season shown, in the current language.
    Row row(int32_t i) const;

    int32_t season = 0;
    FadingText* titleText = nullptr;
    MenuButton* moreOptionsButton = nullptr;
};
