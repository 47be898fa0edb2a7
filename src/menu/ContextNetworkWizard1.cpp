#include "menu/ContextNetworkWizard1.h"

#include "engine/ContextManager.h"
#include "gui/GuiEnvironment.h"
#include "gui/MenuButton.h"
#include "gui/MenuItemToggle.h"
#include "gui/MessageViewer.h"
#include "lang/StringIds.h"
#include "menu/ContextHelp.h"
#include "menu/ContextNetworkConfiguration.h"
#include "menu/SealedReply.h"
#include "net/NetConnection.h"
#include "records/GameConfiguration.h"
#include "sys/ErrorManager.h"
#include "sys/HttpRequest.h"
#include "sys/Logger.h"

ZUB_IMPLEMENT_NAMED_CLASS_ABSTRACT(ContextNetworkWizard1, ContextPage, u"ContextNetworkWizard1")

uint16_t ContextNetworkWizard1::firewallProbePort = NetAddress::DEFAULT_PORT;

namespace {

GameConfiguration& configuration() {
    GameConfiguration* c = gui::environment().configuration;
    ZUB_ASSERT(c != nullptr);
    return *c;
}

void log(std::u16string_view message) {
    Logger::get().log(u"%s(): %s", "ContextNetworkWizard1::tickContents", message);
}

}  // namespace

ContextNetworkWizard1::ContextNetworkWizard1() {
    const GameConfiguration& config = configuration();
    savedFullScreen = config.fullScreen;
    bRunOnDesktop = config.networkConfigured ? 0 : 1;

    setTitle(gui::text(SID_NETWORKWIZARD));
    messageViewer = new MessageViewer;
    // A full block of lines centred on the page.
    messageViewer->position =
        V3(0.0f, -0.5f * static_cast<float>(messageViewer->maxLines) * messageViewer->lineSpacing, 0.0f);
    addChild(messageViewer);
    messageViewer->addMessage(gui::text(SID_NETTESTINTRO1));
    messageViewer->addBlankLine();
    for (int32_t id : {SID_NETTESTINTRO2, SID_NETTESTINTRO3, SID_NETTESTINTRO4})
        messageViewer->addMessage(gui::text(id));

    addBackButton(gui::text(SID_CANCEL));
    nextButton = addNextButton();
    helpButton = addButton(gui::text(SID_HELP), u"", V3(0.0f, static_cast<float>(-layoutY), 0.0f));
    helpButton->setWidth(160);
    desktopToggle =
        new MenuItemToggle(static_cast<float>(layoutX - 80), static_cast<float>(itemSpacing - layoutY), 0.0f,
                           &bRunOnDesktop, gui::text(SID_RUNTESTONDESKTOP), gui::text(SID_RUNTESTONDESKTOPHINT));
    addItem(desktopToggle);
    // Already in a window: nothing to switch.
    if (!config.fullScreen) desktopToggle->bDisabled = desktopToggle->bHidden = 1;
}

ContextNetworkWizard1::~ContextNetworkWizard1() {
    // Deleting a running request leaves its exchange to finish in the HTTP
    // layer, which joins it later; nothing here waits for it.
    request.reset();
    // Pages may outlive the configuration when the program shuts down.
    if (GameConfiguration* config = gui::environment().configuration) {
        config->fullScreen = savedFullScreen;
        gui::applyConfiguration();
    }
}

void ContextNetworkWizard1::tickContents(double t, double dt) {
    ContextMenu::tickContents(t, dt);
    GameConfiguration& config = configuration();

    if (request) {
        const int32_t state = request->getState();
        if (state == HttpRequest::StateFailed) {
            request->setIdle();
            messageViewer->addMessage(request->getErrorText());
            messageViewer->addMessage(gui::text(SID_CHECKCONNECTION));
            messageViewer->addMessage(gui::text(SID_NETTESTFAIL1));
            nextButton->bDisabled = 0;
        } else if (state == HttpRequest::StateFinished) {
            request->setIdle();
            messageViewer->addMessage(gui::text(SID_NETTESTSUCCESS));
            showReply();
            messageViewer->addMessage(gui::text(SID_DONEDOT));
            nextButton->bDisabled = 0;
        }
    }

    if (nextButton->takeClick()) {
        if (!request) {
            desktopToggle->bDisabled = desktopToggle->bHidden = 1;
            config.masterServer = NetAddress::of(0, 0);
            if (bRunOnDesktop && config.fullScreen) {
                // Only the switch to a window now; the next press starts the test.
                config.fullScreen = 0;
                gui::applyConfiguration();
            } else {
                startTest();
            }
        } else {
            done = 1;
            config.fullScreen = savedFullScreen;
            gui::applyConfiguration();
            if (ContextManager* stack = gui::screenStack(this)) stack->pushContext(new ContextNetworkConfiguration);
        }
    }

    if (helpButton->takeClick()) {
        if (ContextManager* stack = gui::screenStack(this)) stack->pushContext(new ContextHelp);
    }
}

void ContextNetworkWizard1::startTest() {
    nextButton->bDisabled = 1;
    messageViewer->addMessage(gui::text(SID_STARTINGDOTS));
    // A firewall that watches the game's port asks about it now, while the
    // page tells the user to allow it.
    NetAddress address = NetAddress::any();
    address.port = firewallProbePort;
    const NetConnection probe(address);
    request = HttpRequest::toWebServer(u"/tumbro/nettest.php");
    request->beginForm();
    request->start();
}

void ContextNetworkWizard1::showReply() {
    const ByteBuffer& reply = request->getReply();
    if (isSealedReply(reply.data, reply.size)) {
        const std::unique_ptr<ByteBuffer> payload = unpackSealedReply(reply.data, reply.size);
        if (!payload) {
            log(u"Could not decode reply!");
            return;
        }
        const NetTestPayload said = readNetTestPayload(*payload);
        if (said.bMasterServer) configuration().masterServer = said.masterServer;
        // An address is short: the log gets no more of a long value than
        // would show what it was.
        if (said.bIgnoredMasterServer)
            log(formatString(u"Ignoring the master server '%s': not an address and port.",
                             escapeForLog(std::u16string_view(said.ignoredMasterServer).substr(0, 64))));
        if (said.bMessage) messageViewer->addMessage(said.message);
    } else if (reply.data && isPrintableReply(reply.data, reply.size)) {
        messageViewer->addReply(request->getReplyText());
    } else {
        log(u"Received unprintable reply!");
    }
}
