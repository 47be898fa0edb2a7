# Run by ctest (tests/CMakeLists.txt): game code reaches the platform layer
# only through the engine.
#  1. A game translation unit that includes a platform header does not
#     compile with a game library's include directories (the engine's include
#     root leaves the platform folder out).
#  2. One that includes the engine headers that use the platform inside them
#     (graphics, input, the engine object, archives, HTTP) and a game header
#     does: the guard keeps the engine usable.
#  3. No game source names a platform path in an include, however spelled
#     ("gfx/../platform/..." would slip past the include root, and the
#     engine headers' own "engine-platform/..." is theirs alone).
# Arguments: CXX (the compiler), INCLUDES (the directories, separated by |),
# PROBES (this folder), GAME_SOURCES (src/).
include(${CMAKE_CURRENT_LIST_DIR}/include_probes.cmake)
probe_flags("${INCLUDES}" flags)
expect_refused("${flags}" includes_platform.cpp platform/Platform.h "Game code included a platform header")
expect_compiles("${flags}" includes_engine.cpp "Game code cannot include the engine's headers")

file(GLOB_RECURSE sources ${GAME_SOURCES}/*.h ${GAME_SOURCES}/*.cpp)
set(offenders)
foreach(source ${sources})
  file(STRINGS ${source} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<][^\">]*platform/")
  if(lines)
    list(APPEND offenders "${source}: ${lines}")
  endif()
endforeach()
if(offenders)
  string(JOIN "\n" text ${offenders})
  message(FATAL_ERROR "Game sources include the platform layer:\n${text}")
endif()
message(STATUS "The game reaches the platform only through the engine.")
