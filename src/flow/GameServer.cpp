#include "flow/GameServer.h"

#include <cstdio>
#include <memory>

#include "engine/FocusManager.h"
#include "flow/GameController.h"
#include "flow/MyRootObject.h"
#include "gfx/Camera.h"
#include "gfx/Context.h"
#include "net/CurrentRole.h"
#include "net/NetConnection.h"
#include "object/ResourceManager.h"
#include "records/AppInfo.h"
#include "sys/ErrorManager.h"
#include "sys/Logger.h"
#include "sys/NetAddress.h"
#include "world/GameWorld.h"

GameServer::GameServer(int mode, int maxNodes, std::u16string_view gameString, double version,
                       std::u16string_view playerName)
    : Server(mode, maxNodes, gameString, version, playerName, NET_PERIOD) {
    if (FocusManager* focus = FocusManager::active()) focus->role.set(this);
}

GameServer::GameServer(std::u16string_view playerName)
    : GameServer(ROLE_MODE, MAX_NODES, AppInfo::appFolderName, gameVersion(), playerName) {
    NetAddress address;
    address.setBoth(u"localhost", 0);
    setConnection(new NetConnection(address), true);
}

GameServer::~GameServer() {
    // The level's objects may call into the active role while they go: let
    // that be this one. Registered objects outside the tree go after it.
    CurrentRole current(this, this);
    std::vector<std::unique_ptr<ZubBaseReference>> loose;
    for (int32_t uid : objectMap.ascending()) {
        ZubBase* o = findObjectOrNull(uid);
        if (o && !o->parent && o != root) {
            loose.push_back(std::make_unique<ZubBaseReference>());
            loose.back()->set(o);
        }
    }
    if (ZubBase* r = root) {
        removeChild(r);
        deleteObject(r);
    }
    for (auto& ref : loose)
        if (ZubBase* o = ref->get(); o && !o->parent) deleteObject(o);
    loose.clear();
    // Whatever is still registered hangs where nothing reaches it: a file
    // can hang an object into a holder inside one of its own descendants
    // (a hull's vertex holder), a ring no tree walk finds. Each such object
    // is taken out of its place first, so that its descendants, deleted with
    // it, do not delete it again through that holder.
    std::vector<std::unique_ptr<ZubBaseReference>> stranded;
    for (int32_t uid : objectMap.ascending()) {
        stranded.push_back(std::make_unique<ZubBaseReference>());
        stranded.back()->set(findObjectOrNull(uid));
    }
    for (auto& ref : stranded) {
        ZubBase* o = ref->get();
        if (!o || o->bDying) continue;
        if (o->parent) o->parent->removeChild(o);
        deleteObject(o);
    }
    stranded.clear();
}

double GameServer::gameVersion() {
    double version = 0.0;
    const std::string text = wideToNarrow(AppInfo::versionText);
    if (std::sscanf(text.c_str(), "%lf", &version) != 1) version = 0.0;
    return version;
}

ZubBase* GameServer::createRootObject() { return new MyRootObject; }

void GameServer::render() {
    NetRole::render();
    if (!root) return;
    // The level leaves its game camera applied; the statistics stand on the
    // screen of the context that draws the server (the level manager's,
    // centred on the screen), near its top left corner.
    if (!statsShown()) return;
    if (Context* screen = Context::environment.current) screen->camera->apply();
    ResourceManager* resources = ResourceManager::active();
    drawStats(STATS_X, STATS_Y, 0.0f, resources ? resources->find(u"fontTiny", false) : nullptr);
}

MyRootObject* GameServer::gameRoot() const { return zub_cast<MyRootObject>(root); }

GameController* GameServer::controller() const {
    MyRootObject* r = gameRoot();
    return r ? r->gameController : nullptr;
}

bool GameServer::processPacket(Packet& p) {
    const bool ok = Server::processPacket(p);
    if (!ok || !bLoadingLevel) return ok;
    // A level that is none stops here, before its objects finish their set-up.
    levelFault = checkLevel();
    return levelFault.empty();
}

WString GameServer::checkLevel() {
    GameController* gc = controller();
    // The file's name goes into the log and the fatal report as it may be
    // shown: its control characters escaped.
    const WString name = escapeForLog(levelName);
    if (!gc) return formatString(u"The level file '%s' holds no root object with a game controller.", name);
    if (gc->parent != root) return formatString(u"The level file '%s' has no game controller under its root.", name);
    const WString missing = gc->describeMissing();
    if (!missing.empty()) return formatString(u"The level file '%s' has no %s.", name, missing);
    // The level's objects see the root's controller as their level.
    GameWorld::setCurrent(gc);
    // Objects made from now on take UIDs above every UID of the file.
    int32_t highest = 1;
    for (const auto& entry : objectMap)
        if (entry.first > highest) highest = entry.first;
    if (nextObjectUID <= highest) nextObjectUID = highest + 1;
    return {};
}

void GameServer::startLevel(const uint8_t* data, size_t size, std::u16string_view name) {
    WString why;
    if (!loadLevel(data, size, name, why)) ZUB_ERROR(u"%s", why);
}

bool GameServer::loadLevel(const uint8_t* data, size_t size, std::u16string_view name, WString& why) {
    if (size == 0) {
        why = formatString(u"The level file '%s' is empty.", escapeForLog(name));
        return false;
    }
    if (size > static_cast<size_t>(INT32_MAX / 2)) {
        why = formatString(u"The level file '%s' is too large.", escapeForLog(name));
        return false;
    }
    // Read where the caller holds the file's bytes: no copy of a level that
    // may run to megabytes.
    Packet packet(LEVEL_PACKET_FLAGS, data, static_cast<int>(size));
    // Read as untrusted: a fault comes back here with its reason.
    packet.setErrorMode(Packet::ErrorMode::Report);
    levelName.assign(name);
    levelFault.clear();
    bLoadingLevel = true;
    const bool ok = start(&packet, name);
    bLoadingLevel = false;
    if (ok) return true;
    why = levelFault.empty() ? formatString(u"Could not load '%s': %s", escapeForLog(name), packet.errorText())
                             : levelFault;
    return false;
}

std::vector<uint8_t> GameServer::writeLevel() {
    for (int capacity = 1 << 20;; capacity *= 2) {
        Packet packet(LEVEL_PACKET_FLAGS, capacity);
        packet.setErrorMode(Packet::ErrorMode::Report);
        writeFullState(&packet);
        if (!packet.failed()) return std::vector<uint8_t>(packet.data(), packet.data() + packet.length());
        if (capacity >= (1 << 28)) ZUB_ERROR(u"The level does not fit in a level file: %s", packet.errorText());
    }
}
