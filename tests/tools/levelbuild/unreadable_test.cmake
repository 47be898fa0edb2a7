# levelbuild reads a description, key script or plan only when it is a
# regular file it can read whole: a named pipe, a folder, a device, a file
# over the size limit and one that fails to read are refused, each named
# with the reason; the command ends with exit code 1, and --check goes on
# with the other descriptions.
#   cmake -DLEVELBUILD=<program> -DLEVELS=<content/levels> -DWORK=<folder> -P unreadable_test.cmake
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")

include("${CMAKE_CURRENT_LIST_DIR}/cli_support.cmake")

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
expect_exit("--check with a named pipe" 1 "levelbuild: ${WORK}/pipe.txt: cannot be read: it is not a regular file"
            "levelbuild: 1 problem\n")
if(NOT out MATCHES "(^|\n)mine: not played" OR NOT out MATCHES "\nyours: not played")
  message(FATAL_ERROR "--check did not check the descriptions beside the named pipe:\n${out}")
endif()

# A folder, a file over the limit, a device and a file that fails to read
# are no descriptions either (an empty one least of all).
levelbuild(--check "${WORK}/folder.txt" "${WORK}/long.txt" /dev/zero "${WORK}/mine.txt")
expect_exit("--check with a folder, a long file and /dev/zero" 1
            "levelbuild: ${WORK}/folder.txt: cannot be read: it is a folder"
            "levelbuild: ${WORK}/long.txt: cannot be read: it is larger than 1048576 bytes"
            "levelbuild: /dev/zero: cannot be read: it is not a regular file" "levelbuild: 3 problems\n")
if(NOT out MATCHES "^mine: not played" OR out MATCHES "(folder|long|zero)")
  message(FATAL_ERROR "--check of what it cannot read:\n${out}")
endif()
if(EXISTS /proc/self/mem)
  # A regular file whose first read fails (its first page is not mapped).
  levelbuild(--check /proc/self/mem)
  expect_exit("--check of a file that fails to read" 1
              "levelbuild: /proc/self/mem: cannot be read: reading it failed: ")
endif()

# A build of a folder writes nothing and fails.
levelbuild(--out "${WORK}/out" "${WORK}/folder.txt")
expect_exit("a build of a folder" 1 "levelbuild: ${WORK}/folder.txt: cannot be read: it is a folder")
if(EXISTS "${WORK}/out/folder.lev")
  message(FATAL_ERROR "a build of a folder wrote ${WORK}/out/folder.lev")
endif()

# Key scripts beside a description: a named pipe and a folder.
make_fifo("${WORK}/theirs.keys")
file(MAKE_DIRECTORY "${WORK}/yours.perfect.keys")
levelbuild(--check "${WORK}/theirs.txt" "${WORK}/yours.txt" "${WORK}/mine.txt")
expect_exit("--check with key scripts that are no files" 1
            "levelbuild: ${WORK}/theirs.keys: cannot be read: it is not a regular file"
            "levelbuild: ${WORK}/yours.perfect.keys: cannot be read: it is a folder" "levelbuild: 2 problems\n")
if(NOT out MATCHES "^mine: not played")
  message(FATAL_ERROR "--check did not check the level beside those with unreadable key scripts:\n${out}")
endif()

# A key script to play and a plan to record by.
levelbuild(--play "${WORK}/theirs.keys" "${WORK}/mine.txt")
expect_exit("--play of a named pipe" 1 "levelbuild: ${WORK}/theirs.keys: cannot be read: it is not a regular file")
levelbuild(--hash "${WORK}/mine.txt" "${WORK}/yours.perfect.keys")
expect_exit("--hash of a folder" 1 "levelbuild: ${WORK}/yours.perfect.keys: cannot be read: it is a folder")
make_fifo("${WORK}/pipe.plan")
file(MAKE_DIRECTORY "${WORK}/folder.plan")
levelbuild(--record "${WORK}/pipe.plan" "${WORK}/mine.txt" --out "${WORK}/pipe-run.keys")
expect_exit("--record of a named pipe" 1 "levelbuild: ${WORK}/pipe.plan: cannot be read: it is not a regular file")
levelbuild(--record "${WORK}/folder.plan" "${WORK}/mine.txt" --out "${WORK}/folder-run.keys")
expect_exit("--record of a folder" 1 "levelbuild: ${WORK}/folder.plan: cannot be read: it is a folder")
if(EXISTS "${WORK}/pipe-run.keys" OR EXISTS "${WORK}/folder-run.keys")
  message(FATAL_ERROR "--record wrote keys without a plan")
endif()
