#include "app/CrashReport.h"

#include <algorithm>
#include <climits>
#include <filesystem>
#include <system_error>

#include "engine/ContextManager.h"
#include "gui/GuiEnvironment.h"
#include "gui/MenuBackButton.h"
#include "gui/MenuButton.h"
#include "gui/MessageViewer.h"
#include "lang/StringIds.h"
#include "menu/ContextNetworkWizard1.h"
#include "records/FormatHelpers.h"
#include "records/GameConfiguration.h"
#include "sys/ByteBuffer.h"
#include "sys/CrashFiles.h"
#include "sys/HttpRequest.h"
#include "sys/Logger.h"
#include "util/Format.h"

ZUB_IMPLEMENT_NAMED_CLASS_ABSTRACT(CrashReport, ContextPage, u"CrashReport")

namespace {

// The crash files in the order they are sent, with their form fields.
struct CrashFile {
    const char* extension;
    const char16_t* field;
};
constexpr CrashFile kSentFiles[] = {
    {CrashFiles::kLog, u"crashLog"},
    {CrashFiles::kMiniDump, u"crashMiniDump"},
    {CrashFiles::kScreenshot, u"crashScreenshot"},
    {CrashFiles::kNetTraffic, u"crashNetTraffic"},
};

bool networkConfigured() {
    const GameConfiguration* config = gui::environment().configuration;
    return config && config->networkConfigured;
}

}  // namespace

WString CrashReport::logName() { return narrowToWide(CrashFiles::name(CrashFiles::kLog)); }
WString CrashReport::logPath() { return narrowToWide(CrashFiles::path(CrashFiles::kLog)); }
WString CrashReport::miniDumpName() { return narrowToWide(CrashFiles::name(CrashFiles::kMiniDump)); }
WString CrashReport::miniDumpPath() { return narrowToWide(CrashFiles::path(CrashFiles::kMiniDump)); }
WString CrashReport::screenshotName() { return narrowToWide(CrashFiles::name(CrashFiles::kScreenshot)); }
WString CrashReport::screenshotPath() { return narrowToWide(CrashFiles::path(CrashFiles::kScreenshot)); }
WString CrashReport::netTrafficName() { return narrowToWide(CrashFiles::name(CrashFiles::kNetTraffic)); }
WString CrashReport::netTrafficPath() { return narrowToWide(CrashFiles::path(CrashFiles::kNetTraffic)); }

bool CrashReport::filesExist() {
    return CrashFiles::exists(CrashFiles::kLog) || CrashFiles::exists(CrashFiles::kMiniDump);
}

void CrashReport::deleteFiles() {
    for (const char* extension :
         {CrashFiles::kLog, CrashFiles::kScreenshot, CrashFiles::kNetTraffic, CrashFiles::kMiniDump}) {
        std::error_code error;
        std::filesystem::remove(CrashFiles::path(extension), error);
        if (error) {
            Logger::get().log(
                u"%s(): %s", "CrashReport::deleteFiles",
                formatString(u"Could not delete '%s': %s", escapeForLog(CrashFiles::path(extension)), error.message()));
        }
    }
}

CrashReport::CrashReport() {
    setTitle(gui::text(SID_ERRORREPORTTITLE));
    messages = new MessageViewer;
    // A full block of lines centred on the screen.
    messages->position = V3(0.0f, -0.5f * static_cast<float>(messages->maxLines) * messages->lineSpacing, 0.0f);
    addChild(messages);
    for (int32_t id : {SID_ERRORREPORTINTRO1, SID_ERRORREPORTINTRO2, SID_ERRORREPORTINTRO3})
        messages->addMessage(gui::text(id));

    addBackButton(gui::text(SID_CANCEL));
    const float bottom = static_cast<float>(-layoutY);
    sendItem = addButton(gui::text(SID_NEXT), u"", V3(static_cast<float>(layoutX - 80), bottom, 0.0f));
    sendItem->setWidth(160);
    if (!networkConfigured()) {
        messages->addBlankLine();
        messages->addMessage(gui::text(SID_ERRORREPORTWIZARD1));
        messages->addMessage(gui::text(SID_ERRORREPORTWIZARD2));
        wizardItem = addButton(gui::text(SID_NETWORKWIZARDDOTS), u"", V3(0.0f, bottom, 0.0f));
    }
    updateItems();
}

CrashReport::~CrashReport() {
    // Deleting a running request leaves its exchange to finish in the HTTP
    // layer, which joins it later.
    request.reset();
    if (networkConfigured()) deleteFiles();
}

void CrashReport::onActivate(bool firstTime) {
    ContextMenu::onActivate(firstTime);
    updateItems();
}

void CrashReport::updateItems() {
    const bool configured = networkConfigured();
    // Once an upload has started, NEXT stays disabled: one report per screen.
    sendItem->bDisabled = !configured || request ? 1 : 0;
    if (wizardItem) wizardItem->bDisabled = configured ? 1 : 0;
}

void CrashReport::tickContents(double t, double dt) {
    ContextMenu::tickContents(t, dt);

    if (request) {
        const int32_t state = request->getState();
        if (state == HttpRequest::StateFailed) {
            request->setIdle();
            messages->addMessage(request->getErrorText());
            messages->addMessage(gui::text(SID_CHECKCONNECTION));
            messages->addMessage(gui::text(SID_FAILED));
        } else if (state == HttpRequest::StateFinished) {
            request->setIdle();
            messages->addMessage(gui::text(SID_CONNECTED));
            messages->addReply(request->getReplyText());
        }
    }

    if (wizardItem && wizardItem->bClicked) {
        wizardItem->bClicked = 0;
        if (ContextManager* stack = gui::screenStack(this)) stack->pushContext(new ContextNetworkWizard1);
    }

    if (sendItem->bClicked) {
        sendItem->bClicked = 0;
        if (!request) startUpload();
    }
}

void CrashReport::startUpload() {
    sendItem->bDisabled = 1;
    request = HttpRequest::toWebServer(u"/tumbro/crashreport.php");
    request->beginForm();
    uint64_t total = 0;
    for (const CrashFile& file : kSentFiles) {
        // A file that is missing, or cannot be read, is not sent; nor is one
        // that is not the program's own (a link, a named pipe, a file over
        // the size the program writes).
        ByteBuffer bytes;
        if (!CrashFiles::read(file.extension, bytes)) continue;
        request->addFormField(bytes.data, bytes.size, file.field);
        total += bytes.size;
        if (!gui::isDebugLocked()) messages->addMessage(WString(u"DEBUG: Adding ") + file.field);
    }
    const auto shown = static_cast<int32_t>(std::min<uint64_t>(total, INT32_MAX));
    messages->addMessage(formatString(gui::text(SID_ERRORREPORTUPLOADING), formatNumberGrouped(shown)));
    messages->addMessage(gui::text(SID_ERRORREPORTPLEASEWAIT));
    request->start();
}
