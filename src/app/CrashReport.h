#pragma once
// The crash report: shown at start-up when the previous run left crash files
// (the log copy or the dump). It says that an error report was found and
// offers to send it: NEXT posts every crash file that exists to the web
// server ("/tumbro/crashreport.php") as one form, and the server's answer is
// shown line by line. Until the network has been configured NEXT is disabled
// and a button leads to the network test; the screen updates both buttons
// whenever it is on top again.
//
// When the screen is left (CANCEL or Escape) with the network configured,
// the crash files are deleted, sent or not; otherwise they stay for the next
// start. An upload still running is left to finish in the HTTP layer.
//
// The names and paths of the four crash files are the program's own
// (sys/CrashFiles.h): "crash.Tumbrodemo" with ".log", ".mdmp", ".jpg" and
// ".net" in the per-user data folder. Only regular files of the program's
// own count and are sent: a symbolic link under a crash file's name, a
// named pipe or a file over its size limit is treated as missing.
#include <memory>

#include "gui/ContextPage.h"

class HttpRequest;
class MenuButton;
class MessageViewer;

class CrashReport : public ContextPage {
    ZUB_DECLARE_CLASS(CrashReport)
public:
    CrashReport();
    ~CrashReport() override;

    void onActivate(bool firstTime) override;
    void tickContents(double time, double dt) override;

    static WString logName();
    static WString logPath();
    static WString miniDumpName();
    static WString miniDumpPath();
    static WString screenshotName();
    static WString screenshotPath();
    static WString netTrafficName();
    static WString netTrafficPath();

    // Whether the previous run left a report: the log copy or the dump, as
    // a regular file of its own (not a link).
    static bool filesExist();
    // Deletes the four crash files (the missing ones are no matter).
    static void deleteFiles();

    MessageViewer* messages = nullptr;
    std::unique_ptr<HttpRequest> request;  // null until the upload starts
    MenuButton* sendItem = nullptr;
    MenuButton* wizardItem = nullptr;  // null once the network was configured when the screen was made

private:
    // NEXT only with a configured network, the network test only without.
    void updateItems();
    void startUpload();
};
