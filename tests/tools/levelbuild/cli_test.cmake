# The levelbuild program as a designer runs it: --classes prints the
# reference of the placeable classes, and a --record whose plan stops on the
# way writes the keys it pressed, marked as the failed attempt, for --play to
# show, and still ends with exit code 1.
#   cmake -DLEVELBUILD=<program> -DLEVELS=<content/levels> -DWORK=<folder> -P cli_test.cmake
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")

execute_process(COMMAND "${LEVELBUILD}" --classes RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "--classes ended with ${rc}: ${err}")
endif()
foreach(expected "\nTerrainDeco, a kind of A99Object\n" "\n    skinFlags (whole number; default 0)\n"
                 "\nSwitch, a kind of TriggerArea\n" "construct: 4 arguments, in this order:")
  string(FIND "${out}" "${expected}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "--classes does not print '${expected}'")
  endif()
endforeach()
execute_process(COMMAND "${LEVELBUILD}" --classes Switch NoSuchClass RESULT_VARIABLE rc ERROR_VARIABLE err
                OUTPUT_QUIET)
if(rc EQUAL 0 OR NOT err MATCHES "NoSuchClass is no class a description can place")
  message(FATAL_ERROR "--classes with an unknown class: ${rc}, ${err}")
endif()

file(WRITE "${WORK}/stops.plan" "until state >= 4 timeout 700\nhold RIGHT\nwait 30\nuntil hero.x > 5000 timeout 40\n")
execute_process(COMMAND "${LEVELBUILD}" --record "${WORK}/stops.plan" "${LEVELS}/a1.txt" --out "${WORK}/a1.keys"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(rc EQUAL 0)
  message(FATAL_ERROR "a --record whose plan stopped ended with exit code 0")
endif()
if(NOT err MATCHES "stops.plan:4: 'hero.x > 5000' did not hold within 40 frames")
  message(FATAL_ERROR "--record does not say where the plan stopped: ${err}")
endif()
if(NOT err MATCHES "a1.keys holds the FAILED ATTEMPT")
  message(FATAL_ERROR "--record does not say that it wrote the failed attempt: ${err}")
endif()
if(NOT EXISTS "${WORK}/a1.keys")
  message(FATAL_ERROR "--record kept no keys of the failed attempt")
endif()
file(READ "${WORK}/a1.keys" keys)
if(NOT keys MATCHES "^# FAILED ATTEMPT: " OR NOT keys MATCHES "\nhold 205 [0-9]+ [0-9]+")
  message(FATAL_ERROR "the failed attempt's keys: ${keys}")
endif()

# --play shows the attempt up to where it stopped.
execute_process(COMMAND "${LEVELBUILD}" --play "${WORK}/a1.keys" "${LEVELS}/a1.txt" --watch apple
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
string(REGEX MATCH "\nend ([0-9]+)" end "${keys}")
if(NOT rc EQUAL 0 OR NOT out MATCHES "\nframes ${CMAKE_MATCH_1}\n" OR NOT out MATCHES "apple ")
  message(FATAL_ERROR "--play of the failed attempt: ${rc} ${err}\n${out}")
endif()

# A terrain given a depth alone is built as one whose earth band the
# description dresses for that depth itself.
set(ground "level\n    playingArea -2048 1600 2048 0\nterrain\n    ground -4096 300  -600 300  -300 500  300 500  600 300  4096 300\n    depth 600\n")
file(WRITE "${WORK}/alone/deep.txt" "${ground}")
file(WRITE "${WORK}/dressed/deep.txt" "${ground}edit grassBand\n    pSkinRefQuad ground-dirt:0\n    skinFlags 389\n")
file(WRITE "${WORK}/stretched/deep.txt" "${ground}edit grassBand\n    skinFlags 261\n")
foreach(kind alone dressed stretched)
  execute_process(COMMAND "${LEVELBUILD}" --out "${WORK}/${kind}" "${WORK}/${kind}/deep.txt" RESULT_VARIABLE rc
                  OUTPUT_QUIET ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "building ${kind}/deep.txt: ${err}")
  endif()
endforeach()
file(SHA256 "${WORK}/alone/deep.lev" alone)
file(SHA256 "${WORK}/dressed/deep.lev" dressed)
file(SHA256 "${WORK}/stretched/deep.lev" stretched)
if(NOT alone STREQUAL dressed OR alone STREQUAL stretched)
  message(FATAL_ERROR "a depth alone does not build the earth band dressed for it")
endif()
