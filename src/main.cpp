// Tumbrodemo: program entry.
//
// The engine's object model stands; the window, the frame loop and the game
// screens arrive with the platform layer. Until then the program checks the
// class registry, reports what it holds and exits.
#include <cstdio>
#include <cstring>

#include "object/RuntimeClass.h"
#include "sys/ErrorManager.h"
#include "sys/Logger.h"
#include "util/Format.h"

int main(int argc, char** argv) {
    Logger::get().setEcho(true);
    RuntimeClassManager& classes = RuntimeClassManager::getInstance();
    classes.buildClassArray();
    for (const WString& problem : classes.problems) Logger::get().log(u"%s(): %s", "main", problem);
    ZUB_ASSERT(!classes.bBadClasses);

    const bool list = argc > 1 && std::strcmp(argv[1], "--classes") == 0;
    Logger::get().log(u"%s(): %d classes registered", "main", static_cast<int>(classes.classArray.size()));
    if (list) {
        for (const RuntimeClass* c : classes.classArray)
            std::printf("%4d  %08x  %-12s %s\n", c->index, c->classId, wideToNarrow(c->getName()).c_str(),
                        c->getTypeName());
    }
    std::printf("Tumbrodemo v1.25: the engine core is built; the game window is not yet available.\n");
    return 0;
}
