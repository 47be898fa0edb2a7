// Tumbrodemo: the program's entry.
#include "app/GameApplication.h"

int main(int argc, char** argv) { return runGame(parseRunOptions(argc, argv)); }
