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
string(REPLACE "|" ";" dirs "${INCLUDES}")
list(REMOVE_DUPLICATES dirs)
# The compiler's own folder stays where the compiler puts it (named with -I
# it would come before the C++ library's wrappers).
list(REMOVE_ITEM dirs /usr/include)
set(flags -std=c++20 -fsyntax-only)
foreach(dir ${dirs})
  list(APPEND flags -I${dir})
endforeach()

execute_process(COMMAND ${CXX} ${flags} ${PROBES}/includes_platform.cpp
                RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(result EQUAL 0)
  message(FATAL_ERROR "Game code included a platform header and compiled.")
endif()
if(NOT out MATCHES "platform/Platform\\.h.*(No such file|file not found)")
  message(FATAL_ERROR "The platform probe failed for another reason than the missing header:\n${out}")
endif()

execute_process(COMMAND ${CXX} ${flags} ${PROBES}/includes_engine.cpp
                RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "Game code cannot include the engine's headers:\n${out}")
endif()

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
