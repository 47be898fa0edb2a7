# A levelbuild run that is stopped (SIGTERM, SIGINT, SIGHUP) removes its
# scratch folder, says so and ends by the signal; scratch folders that runs
# killed outright left behind are removed by a later run, while a running
# run's folder stays.
#   cmake -DLEVELBUILD=<program> -DLEVELS=<content/levels> -DWORK=<folder> -P stops_test.cmake
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/scratch")
set(SCRATCH "${WORK}/scratch")

# Plays every shipped level in the background, waits until its scratch
# folder is there, sends it the signal and tells how it ended: the shell's
# status of the run ($?) in `status`, its errors in `err`.
function(stop_a_run signal)
  set(script [=[
"$@" > /dev/null 2> "$ERRORS" &
run=$!
tries=0
until [ -n "$(ls -A "$TMPDIR")" ] || [ $tries -ge 6000 ]; do sleep 0.05; tries=$((tries + 1)); done
sleep 0.5
kill -s "$SIGNAL" $run
wait $run
echo $?
]=])
  file(GLOB levels "${LEVELS}/*.txt")
  execute_process(COMMAND ${CMAKE_COMMAND} -E env "TMPDIR=${SCRATCH}" "SIGNAL=${signal}" "ERRORS=${WORK}/errors"
                          sh -c "${script}" sh "${LEVELBUILD}" --check ${levels}
                  OUTPUT_VARIABLE out OUTPUT_STRIP_TRAILING_WHITESPACE TIMEOUT 600)
  file(READ "${WORK}/errors" errors)
  set(status "${out}" PARENT_SCOPE)
  set(err "${errors}" PARENT_SCOPE)
endfunction()

# Each stop: the exit status of a run ended by that signal, the message, and
# nothing left in the temporary folder.
foreach(stop "TERM;143" "INT;130" "HUP;129")
  list(GET stop 0 signal)
  list(GET stop 1 expected)
  stop_a_run(${signal})
  if(NOT status STREQUAL expected)
    message(FATAL_ERROR "a run stopped by SIG${signal} ended with '${status}', not ${expected}\n${err}")
  endif()
  if(NOT err MATCHES "levelbuild: stopped by SIG${signal}; its scratch folder and unfinished files are removed\n")
    message(FATAL_ERROR "a run stopped by SIG${signal} says: ${err}")
  endif()
  file(GLOB left "${SCRATCH}/*")
  if(left)
    message(FATAL_ERROR "a run stopped by SIG${signal} left ${left}")
  endif()
endforeach()

# Folders of runs that were killed: one quiet for two hours goes; one that
# changed a moment ago stays (its run may be about to lock it), as does one
# whose run holds its lock (quiet as long), and a folder that is not
# levelbuild's.
foreach(name zub-levels-killed zub-levels-recent zub-levels-locked zub-levels-toolong other-folder)
  file(MAKE_DIRECTORY "${SCRATCH}/${name}/levels")
  file(WRITE "${SCRATCH}/${name}/levels/a1.lev" "half a level")
endforeach()
foreach(name zub-levels-killed zub-levels-locked zub-levels-toolong other-folder)
  execute_process(COMMAND touch -d "2 hours ago" "${SCRATCH}/${name}")
endforeach()
set(script [=[
flock "$TMPDIR/zub-levels-locked" sh -c 'until [ -e "$OUT.done" ]; do sleep 0.05; done' > /dev/null 2>&1 &
holder=$!
until ! flock -n "$TMPDIR/zub-levels-locked" true; do sleep 0.05; done
"$@" > "$OUT" 2>&1
echo "run $?"
touch "$OUT.done"
wait $holder
]=])
execute_process(COMMAND ${CMAKE_COMMAND} -E env "TMPDIR=${SCRATCH}" "OUT=${WORK}/run"
                        sh -c "${script}" sh "${LEVELBUILD}" --out "${WORK}" "${LEVELS}/a1.txt"
                OUTPUT_VARIABLE out TIMEOUT 600)
if(NOT out STREQUAL "run 0\n")
  file(READ "${WORK}/run" run)
  message(FATAL_ERROR "a run beside the folders of others: ${out}\n${run}")
endif()
foreach(kept zub-levels-recent zub-levels-locked zub-levels-toolong other-folder)
  if(NOT EXISTS "${SCRATCH}/${kept}/levels/a1.lev")
    message(FATAL_ERROR "a later run removed ${kept}")
  endif()
endforeach()
if(EXISTS "${SCRATCH}/zub-levels-killed")
  message(FATAL_ERROR "the folder a killed run left is still there")
endif()
