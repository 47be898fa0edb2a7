#pragma once
// The high-score upload: NEXT sends the local high-score table with a few
// identifying fields of the configuration, sealed, to the web server
// ("/tumbro/highscoreupload.php", form part "HSTfile") and shows the
// server's answer line by line. The button then reads FINISH and closes the
// page; after a failure it stays disabled (a new upload takes a new page).
// CANCEL or Escape close the page in any state; an upload still running is
// left to finish in the HTTP layer.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "gui/ContextPage.h"

class GameConfiguration;
class HttpRequest;
class MenuButton;
class MessageViewer;

// The uploaded record, 9584 bytes, little-endian:
//   0     16 bytes  MD5 over the salt's 4 bytes and the record with these 16 zero
//   16    9560 bytes: the configuration record's first 9560 bytes (game name,
//         version, reserved text, installation id, country code, 2 reserved
//         bytes, the 32 high-score entries with their own seals)
//   9576  8 bytes   time, always 0
struct ScoreUploadData {
    static constexpr size_t kSize = 9584;
    static constexpr size_t kConfigurationBytes = 9560;
    static constexpr size_t kDigestSize = 16;
    static constexpr uint32_t kSalt = 0x3C5A9E17u;

    // All zero.
    ScoreUploadData();
    // Copies the configuration's bytes in and seals the record.
    void fill(const GameConfiguration& config);

    uint8_t bytes[kSize];
};

class ContextHighscoreUpload : public ContextPage {
    ZUB_DECLARE_CLASS(ContextHighscoreUpload)
public:
    ContextHighscoreUpload();
    ~ContextHighscoreUpload() override;

    void tickContents(double time, double dt) override;

    MessageViewer* messageViewer = nullptr;
    std::unique_ptr<HttpRequest> request;  // null until the upload starts
    MenuButton* nextButton = nullptr;

private:
    void startUpload();
};
