# What the layering checks share: compiling a probe source with a library's
# include directories, and telling a refused include from any other failure.
# CXX (the compiler) and PROBES (this folder) come from the caller.

# The compiler flags for the include directories in INCLUDES (separated by
# |), into the variable named by `out`. The compiler's own folder stays where
# the compiler puts it (named with -I it would come before the C++ library's
# wrappers).
function(probe_flags includes out)
  string(REPLACE "|" ";" dirs "${includes}")
  list(REMOVE_DUPLICATES dirs)
  list(REMOVE_ITEM dirs /usr/include)
  set(flags -std=c++20 -fsyntax-only)
  foreach(dir ${dirs})
    list(APPEND flags -I${dir})
  endforeach()
  set(${out} ${flags} PARENT_SCOPE)
endfunction()

# The probe must fail to compile, and only because `header` is not found.
function(expect_refused flags probe header what)
  execute_process(COMMAND ${CXX} ${flags} ${PROBES}/${probe}
                  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(result EQUAL 0)
    message(FATAL_ERROR "${what} and compiled.")
  endif()
  string(REPLACE "." "\\." pattern "${header}")
  if(NOT out MATCHES "${pattern}.*(No such file|file not found)")
    message(FATAL_ERROR "The probe ${probe} failed for another reason than the missing header:\n${out}")
  endif()
endfunction()

# The probe must compile.
function(expect_compiles flags probe what)
  execute_process(COMMAND ${CXX} ${flags} ${PROBES}/${probe}
                  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${what}:\n${out}")
  endif()
endfunction()
