#pragma once
// The network test, the first page of the network set-up: NEXT asks the web
// server for "/tumbro/nettest.php" (a form of the standard fields only) and
// shows the outcome line by line in the page's message viewer. A sealed
// reply (SealedReply.h) may name the master server, which is stored in the
// configuration, and a message line. NEXT on the finished test closes this
// page and opens the network configuration over it; the stack removes both
// when that page closes. HELP opens the help page; CANCEL or Escape close.
//
// Before the request starts, a UDP endpoint is opened and closed again on
// the game's port, so that a firewall asks about the program now. In full
// screen the test can run in a window (the toggle, on by default until the
// network has been configured): the first NEXT only switches to a window,
// the second starts the test. The full-screen setting is restored when the
// page closes, whichever way.
//
// A failed exchange shows the request's error text, CHECKCONNECTION and
// NETTESTFAIL1; NEXT still leads on. A sealed reply that fails its checks,
// or an unprintable one, is only logged: the test still counts as a success.
#include <cstdint>
#include <memory>

#include "gui/ContextPage.h"

class HttpRequest;
class MenuButton;
class MenuItemToggle;
class MessageViewer;

class ContextNetworkWizard1 : public ContextPage {
    ZUB_DECLARE_CLASS(ContextNetworkWizard1)
public:
    ContextNetworkWizard1();
    // A request still running is left to finish in the HTTP layer.
    ~ContextNetworkWizard1() override;

    void tickContents(double time, double dt) override;
    // The UDP port opened and closed before the test (the game's port).
    static uint16_t firewallProbePort;

    MessageViewer* messageViewer = nullptr;
    std::unique_ptr<HttpRequest> request;  // null until the test starts
    MenuButton* nextButton = nullptr;
    MenuButton* helpButton = nullptr;
    MenuItemToggle* desktopToggle = nullptr;
    uint8_t savedFullScreen = 0;
    uint8_t bRunOnDesktop = 0;

private:
    void startTest();
    // The lines and the master server of a finished test's reply.
    void showReply();
};
