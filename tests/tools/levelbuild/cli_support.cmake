# What the scripts that run the levelbuild program share. LEVELBUILD is the
# program; every run has a TIMEOUT so that a run that waits for ever (on a
# named pipe) fails the test instead of stopping it.

# Runs levelbuild with the arguments; its exit code, output and errors in
# rc, out and err. With SCRATCH set the run's scratch folder goes under it
# (TMPDIR). With FILE_LIMIT set (in blocks of ulimit -f) every file the run
# writes stops growing there, as on a full disk: a write past it fails with
# EFBIG (the signal that would end the run is ignored; with FILE_LIMIT_SIGNAL
# set, it is left as it is, for levelbuild to ignore itself).
function(levelbuild)
  set(command "${LEVELBUILD}" ${ARGN})
  if(FILE_LIMIT AND FILE_LIMIT_SIGNAL)
    set(command sh -c "ulimit -f ${FILE_LIMIT} && trap - XFSZ && exec \"$@\"" sh ${command})
  elseif(FILE_LIMIT)
    set(command sh -c "ulimit -f ${FILE_LIMIT} && trap '' XFSZ && exec \"$@\"" sh ${command})
  endif()
  if(SCRATCH)
    set(command ${CMAKE_COMMAND} -E env "TMPDIR=${SCRATCH}" ${command})
  endif()
  execute_process(COMMAND ${command} RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE error TIMEOUT 300)
  set(rc "${result}" PARENT_SCOPE)
  set(out "${output}" PARENT_SCOPE)
  set(err "${error}" PARENT_SCOPE)
endfunction()

# Fails unless the last run ended with exit code `code` and its errors
# contain every one of the texts.
function(expect_exit what code)
  if(NOT rc STREQUAL "${code}")
    message(FATAL_ERROR "${what}: ended with '${rc}', not ${code}\n${out}\n${err}")
  endif()
  foreach(text ${ARGN})
    string(FIND "${err}" "${text}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "${what}: the errors do not say '${text}'\n${err}")
    endif()
  endforeach()
endfunction()

# Fails when a file of the pattern is there (a half output, a temporary file, a scratch folder).
function(expect_none what pattern)
  file(GLOB left "${pattern}")
  if(left)
    message(FATAL_ERROR "${what}: left ${left}")
  endif()
endfunction()

# The file holds the reference's bytes, no more and no fewer.
function(expect_same_file what reference path)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${reference}" "${path}" RESULT_VARIABLE differs)
  if(differs)
    message(FATAL_ERROR "${what} (${path}) differs from ${reference}")
  endif()
endfunction()

function(make_fifo path)
  execute_process(COMMAND mkfifo "${path}" RESULT_VARIABLE made)
  if(NOT made EQUAL 0)
    message(FATAL_ERROR "mkfifo ${path}: ${made}")
  endif()
endfunction()
