#include "menu/ContextHighscoreUpload.h"

#include <cstring>
#include <vector>

#include "gui/GuiEnvironment.h"
#include "gui/MenuButton.h"
#include "gui/MessageViewer.h"
#include "lang/StringIds.h"
#include "records/GameConfiguration.h"
#include "sys/ErrorManager.h"
#include "sys/HttpRequest.h"
#include "util/Format.h"
#include "util/Md5.h"

ZUB_IMPLEMENT_NAMED_CLASS_ABSTRACT(ContextHighscoreUpload, ContextPage, u"ContextHighscoreUpload")

static_assert(ScoreUploadData::kSize % 8 == 0);
static_assert(ScoreUploadData::kDigestSize + ScoreUploadData::kConfigurationBytes + 8 == ScoreUploadData::kSize);
static_assert(GameConfiguration::kSealSalt == ScoreUploadData::kSalt);

ScoreUploadData::ScoreUploadData() { std::memset(bytes, 0, sizeof bytes); }

void ScoreUploadData::fill(const GameConfiguration& config) {
    std::memset(bytes, 0, sizeof bytes);
    // The record as the file holds it (little-endian, field by field), up
    // to the end of the last high-score entry.
    const std::vector<uint8_t> record = config.serialize();
    std::memcpy(bytes + kDigestSize, record.data(), kConfigurationBytes);
    uint8_t digest[kDigestSize];
    md5DigestWithPrefix(kSalt, bytes, kSize, digest);
    std::memcpy(bytes, digest, kDigestSize);
}

ContextHighscoreUpload::ContextHighscoreUpload() {
    setTitle(gui::text(SID_UPLOADSCORES));
    messageViewer = new MessageViewer;
    // A full block of lines centred on the page.
    messageViewer->position =
        V3(0.0f, -0.5f * static_cast<float>(messageViewer->maxLines) * messageViewer->lineSpacing, 0.0f);
    addChild(messageViewer);
    for (int32_t id : {SID_UPLOADTEXT1, SID_UPLOADTEXT2, SID_UPLOADTEXT3}) messageViewer->addMessage(gui::text(id));
    if (!gui::isDebugLocked()) {
        messageViewer->addMessage(formatString(u"Debug: sizeof(ScoreUploadData)=%d, mod8=%d",
                                               static_cast<int>(ScoreUploadData::kSize),
                                               static_cast<int>(ScoreUploadData::kSize % 8)));
    }
    addBackButton(gui::text(SID_CANCEL));
    nextButton = addNextButton();
}

ContextHighscoreUpload::~ContextHighscoreUpload() {
    // Deleting a running request leaves its exchange to finish in the HTTP
    // layer, which joins it later.
    request.reset();
}

void ContextHighscoreUpload::tickContents(double t, double dt) {
    ContextMenu::tickContents(t, dt);

    if (request) {
        const int32_t state = request->getState();
        if (state == HttpRequest::StateFailed) {
            request->setIdle();
            messageViewer->addMessage(request->getErrorText());
            messageViewer->addMessage(gui::text(SID_CHECKCONNECTION));
            messageViewer->addMessage(gui::text(SID_FAILED));
        } else if (state == HttpRequest::StateFinished) {
            request->setIdle();
            messageViewer->addMessage(gui::text(SID_CONNECTED));
            messageViewer->addReply(request->getReplyText());
            messageViewer->addMessage(gui::text(SID_DONEDOT));
            nextButton->caption = gui::text(SID_FINISH);
            nextButton->bDisabled = 0;
        }
    }

    if (nextButton->takeClick()) {
        if (!request) startUpload();
        else done = 1;
    }
}

void ContextHighscoreUpload::startUpload() {
    const GameConfiguration* config = gui::environment().configuration;
    ZUB_ASSERT(config != nullptr);
    nextButton->bDisabled = 1;
    ScoreUploadData record;
    record.fill(*config);
    messageViewer->addMessage(gui::text(SID_STARTINGDOTS));
    request = HttpRequest::toWebServer(u"/tumbro/highscoreupload.php");
    request->beginForm();
    request->addFormField(record.bytes, ScoreUploadData::kSize, u"HSTfile", GameConfiguration::fileName());
    request->start();
}
