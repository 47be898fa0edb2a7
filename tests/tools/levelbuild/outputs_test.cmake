# levelbuild writes each output (a level file, a picture, a key script) whole
# or not at all: a symbolic link to a file, to a folder or to nothing is
# replaced, never written through, and one to a descriptor (/dev/stdout) is
# written as that stream or refused, never replaced; a stream (a character
# device, a pipe), named directly or through links, is written to as a
# stream and stays; a pipe nobody reads from and a folder are refused at
# once; a write that fails
# (a full device, a full disk, a reader that went away) ends with exit code
# 1 and a message that names the file, and leaves neither a half file nor a
# temporary one. A run started with a standard stream closed writes as ever.
# Names and the text of a description or key script are printed escaped, a
# NUL byte included.
#   cmake -DLEVELBUILD=<program> -DWORK=<folder> -P outputs_test.cmake
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/scratch")

include("${CMAKE_CURRENT_LIST_DIR}/cli_support.cmake")
set(SCRATCH "${WORK}/scratch")

# Fails unless `path` is of the kind `stat -c %F` prints ("fifo",
# "character special file", ...).
function(expect_kind what path kind)
  execute_process(COMMAND stat -c %F "${path}" OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT found STREQUAL kind)
    message(FATAL_ERROR "${what}: ${path} is now a '${found}', not a '${kind}'")
  endif()
endfunction()

# Fails unless the notes the link pointed to are as they were and the link
# has been replaced.
function(expect_notes_kept what link)
  file(READ "${WORK}/notes.txt" notes)
  if(NOT notes STREQUAL "my notes\n")
    message(FATAL_ERROR "${what}: the file the link pointed to was written to: ${notes}")
  endif()
  if(IS_SYMLINK "${link}")
    message(FATAL_ERROR "${what}: ${link} is still the link")
  endif()
endfunction()

# The smallest level there is, a plan and a key script of a few frames, and
# a designer's notes.
set(tiny "level\n    playingArea -2048 1600 2048 0\nterrain\n    ground -4096 300  4096 300\n")
file(WRITE "${WORK}/tiny.txt" "${tiny}")
file(WRITE "${WORK}/tiny.plan" "wait 10\n")
file(WRITE "${WORK}/tiny.keys" "end 5\n")
file(WRITE "${WORK}/notes.txt" "my notes\n")
# The character devices written to: nodes of their own where the test may
# make them (as root, where the real ones must not be put at risk), the
# system's otherwise.
execute_process(COMMAND mknod "${WORK}/null" c 1 3 RESULT_VARIABLE null_made ERROR_QUIET)
execute_process(COMMAND mknod "${WORK}/full" c 1 7 RESULT_VARIABLE full_made ERROR_QUIET)
set(null /dev/null)
set(full /dev/full)
if(null_made EQUAL 0 AND full_made EQUAL 0)
  set(null "${WORK}/null")
  set(full "${WORK}/full")
endif()

# Level files. A link at the target is replaced by the level; a temporary
# file that a killed run left beside it long ago goes, one just made stays.
file(MAKE_DIRECTORY "${WORK}/levels")
file(WRITE "${WORK}/levels/.zub-0123456789ab.tmp" "half a level")
execute_process(COMMAND touch -d "2 hours ago" "${WORK}/levels/.zub-0123456789ab.tmp")
file(WRITE "${WORK}/levels/.zub-abcdefghijkl.tmp" "a level being written")
file(CREATE_LINK "${WORK}/notes.txt" "${WORK}/levels/tiny.lev" SYMBOLIC)
levelbuild(--out "${WORK}/levels" "${WORK}/tiny.txt")
expect_exit("a level over a link" 0)
expect_notes_kept("a level over a link" "${WORK}/levels/tiny.lev")
if(EXISTS "${WORK}/levels/.zub-0123456789ab.tmp" OR NOT EXISTS "${WORK}/levels/.zub-abcdefghijkl.tmp")
  message(FATAL_ERROR "the temporary files beside the level: the old one should go, the new one stay")
endif()
file(REMOVE "${WORK}/levels/.zub-abcdefghijkl.tmp")
file(SIZE "${WORK}/levels/tiny.lev" size)
if(size LESS 1000)
  message(FATAL_ERROR "the level written over a link has ${size} bytes")
endif()
# A full disk: no level, no temporary file, exit code 1.
file(REMOVE "${WORK}/levels/tiny.lev")
set(FILE_LIMIT 40)
levelbuild(--out "${WORK}/levels" "${WORK}/tiny.txt")
unset(FILE_LIMIT)
expect_exit("a level on a full disk" 1
            "levelbuild: ${WORK}/levels/tiny.lev: cannot be written: "
            "Writing '${WORK}/levels/tiny.lev' failed (errno 27: ")
expect_none("a level on a full disk" "${WORK}/levels/*")
# A folder, and a named pipe under a name with a line break in it.
file(MAKE_DIRECTORY "${WORK}/levels/tiny.lev")
levelbuild(--out "${WORK}/levels" "${WORK}/tiny.txt")
expect_exit("a level over a folder" 1 "levelbuild: ${WORK}/levels/tiny.lev: cannot be written: it is a folder")
file(WRITE "${WORK}/odd\nname.txt" "${tiny}")
make_fifo("${WORK}/levels/odd\nname.lev")
levelbuild(--out "${WORK}/levels" "${WORK}/odd\nname.txt")
expect_exit("a level over a named pipe" 1 "levelbuild: ${WORK}/levels/odd\\nname.lev: cannot be written: it is a pipe "
            "that nothing reads from\n")
expect_kind("a level over a named pipe" "${WORK}/levels/odd\nname.lev" "fifo")

# Key scripts of --record: a named pipe nobody reads from and a folder are
# refused, a link to a file is replaced, a character device is written to
# and stays one.
make_fifo("${WORK}/pipe.keys")
levelbuild(--record "${WORK}/tiny.plan" "${WORK}/tiny.txt" --out "${WORK}/pipe.keys")
expect_exit("keys to a named pipe" 1 "levelbuild: ${WORK}/pipe.keys: cannot be written: it is a pipe that nothing "
            "reads from\n")
expect_kind("keys to a named pipe" "${WORK}/pipe.keys" "fifo")
file(MAKE_DIRECTORY "${WORK}/folder.keys")
levelbuild(--record "${WORK}/tiny.plan" "${WORK}/tiny.txt" --out "${WORK}/folder.keys")
expect_exit("keys to a folder" 1 "levelbuild: ${WORK}/folder.keys: cannot be written: it is a folder")
file(CREATE_LINK "${WORK}/notes.txt" "${WORK}/link.keys" SYMBOLIC)
levelbuild(--record "${WORK}/tiny.plan" "${WORK}/tiny.txt" --out "${WORK}/link.keys")
expect_exit("keys over a link" 0)
expect_notes_kept("keys over a link" "${WORK}/link.keys")
file(READ "${WORK}/link.keys" keys)
if(NOT keys MATCHES "\nend 10\n$")
  message(FATAL_ERROR "the keys written over a link: ${keys}")
endif()
# A link to a device or to a named pipe is written through, and stays: to a
# pipe nobody reads from it is refused at once, to one read from the keys
# arrive there.
make_fifo("${WORK}/a.pipe")
file(CREATE_LINK "${null}" "${WORK}/null.keys" SYMBOLIC)
file(CREATE_LINK "${WORK}/a.pipe" "${WORK}/pipe-link.keys" SYMBOLIC)
levelbuild(--record "${WORK}/tiny.plan" "${WORK}/tiny.txt" --out "${WORK}/null.keys")
expect_exit("keys through a link to ${null}" 0)
levelbuild(--record "${WORK}/tiny.plan" "${WORK}/tiny.txt" --out "${WORK}/pipe-link.keys")
expect_exit("keys through a link to a pipe nobody reads" 1
            "levelbuild: ${WORK}/pipe-link.keys: cannot be written: it is a pipe that nothing reads from\n")
execute_process(COMMAND sh -c "cat \"$1\" > \"$2\" & sleep 0.5; \"$3\" --record \"$4\" \"$5\" --out \"$6\"; echo $?; wait"
                        sh "${WORK}/a.pipe" "${WORK}/piped.keys" "${LEVELBUILD}" "${WORK}/tiny.plan" "${WORK}/tiny.txt"
                        "${WORK}/pipe-link.keys"
                OUTPUT_VARIABLE rc ERROR_VARIABLE err OUTPUT_STRIP_TRAILING_WHITESPACE TIMEOUT 300)
expect_exit("keys through a link to a pipe read from" 0)
file(READ "${WORK}/piped.keys" keys)
if(NOT keys MATCHES "\nend 10\n$")
  message(FATAL_ERROR "the keys read from the pipe: ${keys}")
endif()
foreach(link null.keys pipe-link.keys)
  expect_kind("a link written through" "${WORK}/${link}" "symbolic link")
endforeach()
expect_kind("the pipe a link led to" "${WORK}/a.pipe" "fifo")
expect_kind("the device a link led to" "${null}" "character special file")
# A file of the user's under the name of an earlier temporary file stays.
file(WRITE "${WORK}/user.keys.tmp" "the user's own\n")
levelbuild(--record "${WORK}/tiny.plan" "${WORK}/tiny.txt" --out "${WORK}/user.keys")
expect_exit("keys beside a file of the user's" 0)
file(READ "${WORK}/user.keys.tmp" own)
if(NOT own STREQUAL "the user's own\n")
  message(FATAL_ERROR "the user's file beside the keys is now: ${own}")
endif()
file(REMOVE "${WORK}/user.keys.tmp")
levelbuild(--record "${WORK}/tiny.plan" "${WORK}/tiny.txt" --out "${null}")
expect_exit("keys to ${null}" 0 "levelbuild: ${null} recorded: 10 frames")
expect_kind("keys to ${null}" "${null}" "character special file")
levelbuild(--record "${WORK}/tiny.plan" "${WORK}/tiny.txt" --out "${full}")
expect_exit("keys to ${full}" 1
            "levelbuild: ${full}: cannot be written: Writing '${full}' failed (errno 28: No space left on device)")
expect_kind("keys to ${full}" "${full}" "character special file")
# The keys on standard output, when that cannot take them.
execute_process(COMMAND "${LEVELBUILD}" --record "${WORK}/tiny.plan" "${WORK}/tiny.txt" OUTPUT_FILE "${full}"
                RESULT_VARIABLE rc ERROR_VARIABLE err TIMEOUT 300)
expect_exit("keys to a full standard output" 1
            "levelbuild: standard output: cannot be written: No space left on device")
expect_none("keys anywhere" "${WORK}/*.tmp")
# What --list, --check, --hash and --classes print, when standard output
# cannot take it: a full device, a file open for reading only, a folder, a
# pipe whose reader has gone. Each run says why and ends with exit code 1.
make_fifo("${WORK}/gone.pipe")
file(WRITE "${WORK}/read-only.txt" "")
set(gone "4<>'${WORK}/gone.pipe' 5>'${WORK}/gone.pipe' >&5 4<&- 5>&-")
foreach(sink "No space left on device;>'${full}'" "Bad file descriptor;1<'${WORK}/read-only.txt'"
             "Bad file descriptor;1<'${WORK}/levels'" "Broken pipe;${gone}")
  list(GET sink 0 why)
  list(GET sink 1 redirection)
  foreach(command "--list;${WORK}/tiny.txt" "--check;${WORK}/tiny.txt" "--hash;${WORK}/tiny.txt;${WORK}/tiny.keys"
                  "--classes")
    execute_process(COMMAND ${CMAKE_COMMAND} -E env "TMPDIR=${SCRATCH}" sh -c "\"$@\" ${redirection}" sh
                            "${LEVELBUILD}" ${command} RESULT_VARIABLE rc ERROR_VARIABLE err TIMEOUT 300)
    expect_exit("${command} to a standard output that says '${why}'" 1
                "levelbuild: standard output: cannot be written: ${why}\n")
  endforeach()
endforeach()

# Pictures (each run plays the level a few frames): a named pipe, a link, a
# full device and a full disk.
make_fifo("${WORK}/pipe.png")
levelbuild(--picture "${WORK}/pipe.png" --frame 2 "${WORK}/tiny.txt")
expect_exit("a picture to a named pipe" 1 "levelbuild: ${WORK}/pipe.png: cannot be written: it is a pipe that "
            "nothing reads from\n")
expect_kind("a picture to a named pipe" "${WORK}/pipe.png" "fifo")
file(CREATE_LINK "${WORK}/notes.txt" "${WORK}/link.png" SYMBOLIC)
levelbuild(--picture "${WORK}/link.png" --frame 2 "${WORK}/tiny.txt")
expect_exit("a picture over a link" 0)
expect_notes_kept("a picture over a link" "${WORK}/link.png")
file(READ "${WORK}/link.png" signature LIMIT 8 HEX)
if(NOT signature STREQUAL "89504e470d0a1a0a")
  message(FATAL_ERROR "the picture written over a link is no PNG: ${signature}")
endif()
# A picture to standard output, a pipe or a file: through a link of the
# user's to it (as /dev/stdout is one), and as /dev/fd/3 (as a shell's
# ">(...)" names a pipe). The output gets the picture alone (the line naming
# it goes to standard error) and the link stays. A reader that goes away in
# the middle fails the run, which leaves nothing behind.
function(picture_to_standard_output target sink)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env "TMPDIR=${SCRATCH}" sh -c
                          "{ \"$@\" 2> '${WORK}/piped.err' 3>&1; echo $? > '${WORK}/piped.rc'; } ${sink}"
                          sh "${LEVELBUILD}" --picture "${target}" --frame 2 "${WORK}/tiny.txt" TIMEOUT 300)
  file(STRINGS "${WORK}/piped.rc" code)
  file(READ "${WORK}/piped.err" errors)
  set(rc "${code}" PARENT_SCOPE)
  set(err "${errors}" PARENT_SCOPE)
endfunction()
file(CREATE_LINK /proc/self/fd/1 "${WORK}/stdout.png" SYMBOLIC)
foreach(way "${WORK}/stdout.png;| cat" "/dev/fd/3;| cat" "${WORK}/stdout.png;")
  list(GET way 0 target)
  list(LENGTH way parts)
  set(sink "")
  if(parts GREATER 1)
    list(GET way 1 sink)
  endif()
  file(REMOVE "${WORK}/piped.png")
  picture_to_standard_output("${target}" "${sink} > '${WORK}/piped.png'")
  expect_exit("a picture to standard output as ${target} ${sink}" 0 "levelbuild: ${target}, frame 2\n")
  file(SIZE "${WORK}/piped.png" size)
  math(EXPR last "${size} - 8")
  file(READ "${WORK}/piped.png" head LIMIT 8 HEX)
  file(READ "${WORK}/piped.png" tail OFFSET ${last} HEX)
  if(NOT head STREQUAL "89504e470d0a1a0a" OR NOT tail STREQUAL "49454e44ae426082")
    message(FATAL_ERROR "what went to standard output as ${target} ${sink} is no PNG alone "
                        "(${size} bytes: ${head} ... ${tail})")
  endif()
  expect_kind("a link written through" "${WORK}/stdout.png" "symbolic link")
endforeach()
picture_to_standard_output("${WORK}/stdout.png" "| head -c 10 > /dev/null")
expect_exit("a picture to a pipe whose reader goes" 1
            "levelbuild: ${WORK}/stdout.png: cannot be written: Writing '${WORK}/stdout.png' failed (errno 32: ")
expect_none("a picture to a pipe whose reader goes" "${WORK}/scratch/*")
# A level through a link to standard error sent to a file: the level goes
# there, the same bytes as a level written to a file of its own, and the link
# stays.
file(MAKE_DIRECTORY "${WORK}/reference" "${WORK}/to-stderr")
levelbuild(--out "${WORK}/reference" "${WORK}/tiny.txt")
expect_exit("a level for reference" 0)
file(CREATE_LINK /proc/self/fd/2 "${WORK}/to-stderr/tiny.lev" SYMBOLIC)
execute_process(COMMAND "${LEVELBUILD}" --out "${WORK}/to-stderr" "${WORK}/tiny.txt" RESULT_VARIABLE rc
                OUTPUT_VARIABLE out ERROR_FILE "${WORK}/stderr.lev" TIMEOUT 300)
expect_exit("a level to standard error as a link to it" 0)
expect_kind("a level to standard error as a link to it" "${WORK}/to-stderr/tiny.lev" "symbolic link")
expect_same_file("what went to standard error" "${WORK}/reference/tiny.lev" "${WORK}/stderr.lev")
# Started with standard input, output or error closed (as a service manager
# or a careless script may start it), levelbuild writes its levels byte for
# byte as ever, and a link to the closed stream (as /dev/stdout is one to
# /proc/self/fd/1) is written through and stays: nothing the run opens (its
# scratch folder, a file) takes the stream's place.
file(COPY_FILE "${WORK}/tiny.txt" "${WORK}/stream.txt")
foreach(stream 0 1 2)
  file(REMOVE_RECURSE "${WORK}/closed")
  file(MAKE_DIRECTORY "${WORK}/closed")
  file(CREATE_LINK /proc/self/fd/${stream} "${WORK}/closed/stream.lev" SYMBOLIC)
  execute_process(COMMAND sh -c "\"$@\" ${stream}>&-" sh "${LEVELBUILD}" --out "${WORK}/closed" "${WORK}/tiny.txt"
                          "${WORK}/stream.txt"
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 300)
  expect_exit("levels with descriptor ${stream} closed" 0)
  expect_kind("a level through a link to closed descriptor ${stream}" "${WORK}/closed/stream.lev" "symbolic link")
  expect_same_file("the level written with descriptor ${stream} closed" "${WORK}/reference/tiny.lev"
                   "${WORK}/closed/tiny.lev")
endforeach()
# The links of a /dev of the test's own, as /dev has them: a link to a
# standard stream is written as that stream or refused, never replaced by a
# file, and the file the stream is open on keeps its bytes. Standard output
# or error open on a folder and standard input from a file (open for reading
# only) are refused.
file(MAKE_DIRECTORY "${WORK}/dev")
set(streams stdin stdout stderr)
foreach(stream ${streams})
  list(FIND streams ${stream} fd)
  file(CREATE_LINK /proc/self/fd/${fd} "${WORK}/dev/${stream}" SYMBOLIC)
endforeach()
file(WRITE "${WORK}/input.txt" "the input\n")
foreach(way "--picture;${WORK}/dev/stdout;--frame;2;${WORK}/tiny.txt;1<'${WORK}/dev'"
            "--picture;${WORK}/dev/stderr;--frame;2;${WORK}/tiny.txt;2<'${WORK}/dev'"
            "--picture;${WORK}/dev/stdin;--frame;2;${WORK}/tiny.txt;<'${WORK}/input.txt'"
            "--record;${WORK}/tiny.plan;${WORK}/tiny.txt;--out;${WORK}/dev/stdin;<'${WORK}/input.txt'")
  list(POP_BACK way redirection)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env "TMPDIR=${SCRATCH}" sh -c "\"$@\" ${redirection}" sh "${LEVELBUILD}"
                          ${way} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 300)
  expect_exit("${way} ${redirection}" 1)
  foreach(stream ${streams})
    expect_kind("${way} ${redirection}" "${WORK}/dev/${stream}" "symbolic link")
  endforeach()
  file(READ "${WORK}/input.txt" input)
  if(NOT input STREQUAL "the input\n")
    message(FATAL_ERROR "${way} ${redirection}: the input is now ${input}")
  endif()
endforeach()
expect_exit("keys to standard input from a file" 1 "levelbuild: ${WORK}/dev/stdin: cannot be written: it is a link "
            "to standard input, which is open for reading only\n")
expect_none("links to the standard streams" "${WORK}/dev/.zub-*")
# Where /dev/null cannot be opened (a bare /dev, as some containers have), a
# closed standard output stays closed: /dev/stdout, a link to it, is
# refused, and the lines of --hash are lost as to /dev/null. The bare /dev
# is a file system of the test's own, in a mount namespace of its own (made
# as root, or as a user where the system lets users make one).
execute_process(COMMAND id -u OUTPUT_VARIABLE uid OUTPUT_STRIP_TRAILING_WHITESPACE)
set(namespace unshare --mount --propagation private)
if(NOT uid STREQUAL "0")
  list(APPEND namespace --map-root-user)
endif()
set(bare [=[
mount -t tmpfs bare /dev || exit 99
ln -s /proc/self/fd/1 /dev/stdout
"$1" --picture /dev/stdout --frame 2 "$2" >&- 2> "$OUT.err"
echo $? > "$OUT.rc"
[ -L /dev/stdout ] && [ ! -e /dev/null ] && echo "a link" > "$OUT.kind"
"$1" --hash "$2" "$3" >&- 2> "$OUT.hash.err"
echo $? > "$OUT.hash.rc"
]=])
execute_process(COMMAND ${CMAKE_COMMAND} -E env "TMPDIR=${SCRATCH}" "OUT=${WORK}/bare" ${namespace} sh -c "${bare}" sh
                        "${LEVELBUILD}" "${WORK}/tiny.txt" "${WORK}/tiny.keys"
                RESULT_VARIABLE made ERROR_VARIABLE why TIMEOUT 300)
if(made EQUAL 0)
  file(STRINGS "${WORK}/bare.hash.rc" rc)
  file(READ "${WORK}/bare.hash.err" err)
  if(NOT rc STREQUAL "0" OR NOT err STREQUAL "")
    message(FATAL_ERROR "--hash to a standard output closed without /dev/null: ${rc}\n${err}")
  endif()
  file(STRINGS "${WORK}/bare.rc" rc)
  file(READ "${WORK}/bare.err" err)
  expect_exit("a picture to /dev/stdout closed without /dev/null" 1 "levelbuild: /dev/stdout: cannot be written: it "
              "is a link to standard output, which is closed\n")
  file(READ "${WORK}/bare.kind" kind)
  if(NOT kind STREQUAL "a link\n")
    message(FATAL_ERROR "a picture to /dev/stdout closed without /dev/null: /dev/stdout is no longer a link")
  endif()
else()
  message(WARNING "no mount namespace of the test's own here (${made}: ${why}): the run without /dev/null is not tried")
endif()
# What a run writes to a closed standard output goes where /dev/null takes
# it: the keys of --record, the lines of --hash.
foreach(command "--record;${WORK}/tiny.plan;${WORK}/tiny.txt" "--hash;${WORK}/tiny.txt;${WORK}/tiny.keys")
  execute_process(COMMAND sh -c "\"$@\" >&-" sh "${LEVELBUILD}" ${command} RESULT_VARIABLE rc OUTPUT_VARIABLE out
                  ERROR_VARIABLE err TIMEOUT 300)
  expect_exit("${command} to a closed standard output" 0)
  if(err MATCHES "cannot be written")
    message(FATAL_ERROR "${command} to a closed standard output: ${err}")
  endif()
endforeach()
levelbuild(--picture "${full}" --frame 2 "${WORK}/tiny.txt")
expect_exit("a picture to ${full}" 1
            "levelbuild: ${full}: cannot be written: Writing '${full}' failed (errno 28: No space left on device)")
expect_kind("a picture to ${full}" "${full}" "character special file")
# The picture has some 300 KB, the played copy of the level some 60 KB.
set(FILE_LIMIT 256)
levelbuild(--picture "${WORK}/big.png" --frame 2 "${WORK}/tiny.txt")
unset(FILE_LIMIT)
expect_exit("a picture on a full disk" 1
            "levelbuild: ${WORK}/big.png: cannot be written: Writing '${WORK}/big.png' failed (errno 27: ")
if(out MATCHES "big.png, frame")
  message(FATAL_ERROR "a picture on a full disk is said to be written: ${out}")
endif()
expect_none("a picture on a full disk" "${WORK}/big.png*")
expect_none("a picture on a full disk" "${WORK}/.zub-*")
# The same without the signal of the file size limit ignored: levelbuild
# ignores it itself, and the write fails as on a full disk.
set(FILE_LIMIT 256)
set(FILE_LIMIT_SIGNAL ON)
levelbuild(--picture "${WORK}/big.png" --frame 2 "${WORK}/tiny.txt")
unset(FILE_LIMIT)
unset(FILE_LIMIT_SIGNAL)
expect_exit("a picture past a file size limit" 1
            "levelbuild: ${WORK}/big.png: cannot be written: Writing '${WORK}/big.png' failed (errno 27: ")
expect_none("a picture past a file size limit" "${WORK}/big.png*")
expect_none("a picture past a file size limit" "${WORK}/.zub-*")
expect_none("a picture past a file size limit" "${WORK}/scratch/*")

# The copy of the level that is played, on a full disk: the run ends
# saying so, and its scratch folder goes with it.
set(FILE_LIMIT 40)
levelbuild(--hash "${WORK}/tiny.txt" "${WORK}/tiny.keys")
unset(FILE_LIMIT)
if(NOT rc EQUAL 1 OR NOT err MATCHES "/scratch/zub-levels-[^/]+/levels/a1\\.lev: cannot be written: Writing '")
  message(FATAL_ERROR "a level played from a full disk: ${rc}\n${err}")
endif()
expect_none("a level played from a full disk" "${WORK}/scratch/*")

# A NUL byte in a description and in a key script: the message quotes the
# whole word.
string(REPLACE "4096 300\n" "40\\00096 300\n" nul "${tiny}")
execute_process(COMMAND printf "%b" "${nul}" OUTPUT_FILE "${WORK}/nul.txt")
levelbuild(--out "${WORK}/levels" "${WORK}/nul.txt")
expect_exit("a description with a NUL byte" 1 "${WORK}/nul.txt:4: '40\\x0096' is not a number\n")
execute_process(COMMAND printf "%b" "hold 1 0 1\\000x 5\n" OUTPUT_FILE "${WORK}/nul.keys")
levelbuild(--hash "${WORK}/tiny.txt" "${WORK}/nul.keys")
expect_exit("a key script with a NUL byte" 1 "${WORK}/nul.keys:1: '1\\x00x' is not a frame or key number\n")
# A name with a line break, read.
levelbuild(--hash "${WORK}/tiny.txt" "${WORK}/no\nsuch.keys")
expect_exit("a key script named with a line break" 1
            "levelbuild: ${WORK}/no\\nsuch.keys: cannot be read: there is no such file\n")
