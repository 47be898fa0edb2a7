# levelbuild reads a description, key script or plan only when it is a
# regular file it can read whole: a named pipe, a folder, a device, a file
# over the size limit and one that fails to read are refused, each named
# with the reason; the command ends with exit code 1, and --check goes on
# with the other descriptions. Every run has a TIMEOUT so that a run that
# waits for ever (on a named pipe) fails the test instead of stopping it.
#   cmake -DLEVELBUILD=<program> -DLEVELS=<content/levels> -DWORK=<folder> -P unreadable_test.cmake
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")

# Runs levelbuild with the arguments; its exit code, output and errors in
# rc, out and err.
function(levelbuild)
  execute_process(COMMAND "${LEVELBUILD}" ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE output
                  ERROR_VARIABLE error TIMEOUT 300)
  set(rc "${result}" PARENT_SCOPE)
  set(out "${output}" PARENT_SCOPE)
  set(err "${error}" PARENT_SCOPE)
endfunction()

# Fails unless the last run ended with exit code 1 and its errors contain
# every one of the texts.
function(expect_refused what)
  if(NOT rc STREQUAL "1")
    message(FATAL_ERROR "${what}: ended with '${rc}', not 1\n${out}\n${err}")
  endif()
  foreach(text ${ARGN})
    string(FIND "${err}" "${text}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "${what}: the errors do not say '${text}'\n${err}")
    endif()
  endforeach()
endfunction()

function(make_fifo path)
  execute_process(COMMAND mkfifo "${path}" RESULT_VARIABLE made)
  if(NOT made EQUAL 0)
    message(FATAL_ERROR "mkfifo ${path}: ${made}")
  endif()
endfunction()

# Designers' levels (a1's description under other names: checked, not
# played, no problem of their own).
foreach(name mine yours theirs)
  configure_file("${LEVELS}/a1.txt" "${WORK}/${name}.txt" COPYONLY)
endforeach()
make_fifo("${WORK}/pipe.txt")
file(MAKE_DIRECTORY "${WORK}/folder.txt")
string(REPEAT "#" 1048577 long)
file(WRITE "${WORK}/long.txt" "${long}")

# A named pipe among descriptions: refused at once, the others checked.
levelbuild(--check "${WORK}/mine.txt" "${WORK}/pipe.txt" "${WORK}/yours.txt")
expect_refused("--check with a named pipe" "levelbuild: ${WORK}/pipe.txt: cannot be read: it is not a regular file"
               "levelbuild: 1 problem\n")
if(NOT out MATCHES "(^|\n)mine: not played" OR NOT out MATCHES "\nyours: not played")
  message(FATAL_ERROR "--check did not check the descriptions beside the named pipe:\n${out}")
endif()

# A folder, a file over the limit, a device and a file that fails to read
# are no descriptions either (an empty one least of all).
levelbuild(--check "${WORK}/folder.txt" "${WORK}/long.txt" /dev/zero "${WORK}/mine.txt")
expect_refused("--check with a folder, a long file and /dev/zero" "levelbuild: ${WORK}/folder.txt: cannot be read: it is a folder"
               "levelbuild: ${WORK}/long.txt: cannot be read: it is larger than 1048576 bytes"
               "levelbuild: /dev/zero: cannot be read: it is not a regular file" "levelbuild: 3 problems\n")
if(NOT out MATCHES "^mine: not played" OR out MATCHES "(folder|long|zero)")
  message(FATAL_ERROR "--check of what it cannot read:\n${out}")
endif()
if(EXISTS /proc/self/mem)
  # A regular file whose first read fails (its first page is not mapped).
  levelbuild(--check /proc/self/mem)
  expect_refused("--check of a file that fails to read" "levelbuild: /proc/self/mem: cannot be read: reading it failed: ")
endif()

# A build of a folder writes nothing and fails.
levelbuild(--out "${WORK}/out" "${WORK}/folder.txt")
expect_refused("a build of a folder" "levelbuild: ${WORK}/folder.txt: cannot be read: it is a folder")
if(EXISTS "${WORK}/out/folder.lev")
  message(FATAL_ERROR "a build of a folder wrote ${WORK}/out/folder.lev")
endif()

# Key scripts beside a description: a named pipe and a folder.
make_fifo("${WORK}/theirs.keys")
file(MAKE_DIRECTORY "${WORK}/yours.perfect.keys")
levelbuild(--check "${WORK}/theirs.txt" "${WORK}/yours.txt" "${WORK}/mine.txt")
expect_refused("--check with key scripts that are no files"
               "levelbuild: ${WORK}/theirs.keys: cannot be read: it is not a regular file"
               "levelbuild: ${WORK}/yours.perfect.keys: cannot be read: it is a folder" "levelbuild: 2 problems\n")
if(NOT out MATCHES "^mine: not played")
  message(FATAL_ERROR "--check did not check the level beside those with unreadable key scripts:\n${out}")
endif()

# A key script to play and a plan to record by.
levelbuild(--play "${WORK}/theirs.keys" "${WORK}/mine.txt")
expect_refused("--play of a named pipe" "levelbuild: ${WORK}/theirs.keys: cannot be read: it is not a regular file")
levelbuild(--hash "${WORK}/mine.txt" "${WORK}/yours.perfect.keys")
expect_refused("--hash of a folder" "levelbuild: ${WORK}/yours.perfect.keys: cannot be read: it is a folder")
make_fifo("${WORK}/pipe.plan")
file(MAKE_DIRECTORY "${WORK}/folder.plan")
levelbuild(--record "${WORK}/pipe.plan" "${WORK}/mine.txt" --out "${WORK}/pipe-run.keys")
expect_refused("--record of a named pipe" "levelbuild: ${WORK}/pipe.plan: cannot be read: it is not a regular file")
levelbuild(--record "${WORK}/folder.plan" "${WORK}/mine.txt" --out "${WORK}/folder-run.keys")
expect_refused("--record of a folder" "levelbuild: ${WORK}/folder.plan: cannot be read: it is a folder")
if(EXISTS "${WORK}/pipe-run.keys" OR EXISTS "${WORK}/folder-run.keys")
  message(FATAL_ERROR "--record wrote keys without a plan")
endif()
