// Tumbrodemo: the program's entry.
#include "app/GameApplication.h"
#include "sys/StandardStreams.h"

int main(int argc, char** argv) {
    openClosedStandardStreams();
    return runGame(parseRunOptions(argc, argv));
}
