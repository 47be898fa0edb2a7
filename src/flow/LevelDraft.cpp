#include "flow/LevelDraft.h"

#include "flow/GameController.h"
#include "flow/GameServer.h"
#include "flow/MyRootObject.h"
#include "sys/ErrorManager.h"

LevelDraft::LevelDraft() {
    gameServer = std::make_unique<GameServer>(u"");
    gameServer->bEditing = true;
    gameServer->start(nullptr);
    THEROLE = gameServer.get();
}

LevelDraft::~LevelDraft() = default;

GameController& LevelDraft::controller() {
    GameController* gc = gameServer->controller();
    ZUB_ASSERT(gc != NULL);
    return *gc;
}

void LevelDraft::adopt(ZubBase* o, ZubBase* list) {
    gameServer->registerObject(o, 0);
    if (list) list->netAddChild(o);
}

std::vector<uint8_t> LevelDraft::write() { return gameServer->writeLevel(); }
