#include "flow/ContextLevelManager.h"

#include "audio/SoundStream.h"
#include "audio/ZubAudio.h"
#include "flow/GameServer.h"
#include "flow/GameServices.h"
#include "flow/MyRootObject.h"
#include "object/FileData.h"
#include "records/ProfileData.h"
#include "records/ProfileManager.h"
#include "sys/Logger.h"
#include "sys/TimeKeeper.h"

namespace {

double physicalSeconds() {
    const TimeKeeper* keeper = TimeKeeper::active();
    return TimeKeeper::getPhysicalTime() - (keeper ? keeper->startTime : 0.0);
}

// Play goes without a pointer. A level being edited is worked on with the
// pointer: the game's arrow, as on the editor's own screens (the system's
// cursor is hidden over the picture). The pause menu over the level draws
// the arrow itself.
uint8_t showsPointer(const GameServer* server) {
    const MyRootObject* root = server ? server->gameRoot() : nullptr;
    return server && server->bEditing && !(root && root->contextOverlay) ? 1 : 0;
}

}  // namespace

ContextLevelManager::ContextLevelManager(int levelNumber)
    : ContextLevelManager(ProfileData::levelNumberToFile(levelNumber)) {}

ContextLevelManager::ContextLevelManager(std::u16string_view levelFile) {
    bEscapeCloses = 0;
    GameServices& services = GameServices::get();
    gameServer = std::make_unique<GameServer>(narrowToWide(services.profiles().currentProfile().name));
    // A level is played unless levels are opened for editing.
    gameServer->bEditing = services.editLevels();
    bShowPointer = showsPointer(gameServer.get());
    // Its file tells which of the levels it is, if any.
    gameServer->levelNumber = ProfileData::levelFileToNumber(levelFile);

    const double started = physicalSeconds();
    Logger::get().log(u"%s(): %s", "ContextLevelManager::ContextLevelManager",
                      formatString(u"Loading level: %s", escapeForLog(levelFile)));
    {
        FileData file(0, levelFile);
        gameServer->startLevel(file.data(), file.size(), levelFile);
    }
    Logger::get().log(u"%s(): %s", "ContextLevelManager::ContextLevelManager",
                      formatString(u"Level loaded in %.3lfs.", physicalSeconds() - started));
}

ContextLevelManager::~ContextLevelManager() { gameServer.reset(); }

int32_t ContextLevelManager::outcome() const { return gameServer ? gameServer->outcome : 0; }

void ContextLevelManager::tickContents(double time, double dt) {
    if (gameServer) {
        gameServer->tick(time, dt);
        bShowPointer = showsPointer(gameServer.get());
        if (gameServer->outcome != 0) {
            if (ZubAudio* audio = ZubAudio::active()) {
                if (SoundStream* music = audio->getMusic()) {
                    if (music->getChannelHandle() == 0) music->recreateSoundStream();
                    audio->channelStop(music->getChannelHandle());
                }
                audio->forgetMusic();
            }
            done = 1;
        }
    }
    Context::tickContents(time, dt);
}

ZubBase* ContextLevelManager::findObjectUnderMouse(int& skip) {
    return gameServer && gameServer->bEditing ? gameServer->findObjectUnderMouse(skip) : nullptr;
}

void ContextLevelManager::renderContents() {
    if (gameServer) gameServer->render();
}
