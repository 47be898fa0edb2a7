# A levelbuild run that is stopped (SIGTERM, SIGINT, SIGHUP) removes its
# scratch folder, says so and ends by the signal, also when it gets to its
# end while the stop is under way; scratch folders that runs killed outright
# left behind are removed by a later run, while a running run's folder stays.
#   cmake -DLEVELBUILD=<program> -DLEVELS=<content/levels> -DWORK=<folder> -P stops_test.cmake
include("${CMAKE_CURRENT_LIST_DIR}/cli_support.cmake")
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/scratch")
set(SCRATCH "${WORK}/scratch")

# Plays every shipped level, waits until its scratch folder is there, sends
# it the signal and tells how it ended: "signal N" when the signal ended it
# (as a shell sees $? = 128 + N, but also stops a loop at a Ctrl+C), "exit N"
# when it exited, in `status`; its errors in `err`.
function(stop_a_run signal)
  set(script [=[
use POSIX ();
my $pid = fork();
if ($pid == 0) {
    open(STDOUT, '>', '/dev/null');
    open(STDERR, '>', $ENV{ERRORS});
    exec(@ARGV) or POSIX::_exit(127);
}
my $tries = 0;
while (!(my @made = glob("$ENV{TMPDIR}/*")) && $tries++ < 6000) { select(undef, undef, undef, 0.05); }
select(undef, undef, undef, 0.5);
kill($ENV{SIGNAL}, $pid);
waitpid($pid, 0);
print(($? & 127) ? "signal " . ($? & 127) : "exit " . ($? >> 8));
]=])
  file(GLOB levels "${LEVELS}/*.txt")
  execute_process(COMMAND ${CMAKE_COMMAND} -E env "TMPDIR=${SCRATCH}" "SIGNAL=${signal}" "ERRORS=${WORK}/errors"
                          perl -e "${script}" "${LEVELBUILD}" --check ${levels}
                  OUTPUT_VARIABLE out OUTPUT_STRIP_TRAILING_WHITESPACE TIMEOUT 600)
  file(READ "${WORK}/errors" errors)
  set(status "${out}" PARENT_SCOPE)
  set(err "${errors}" PARENT_SCOPE)
endfunction()

# Each stop: ended by that signal, the message alone, and nothing left in the
# temporary folder.
foreach(stop "TERM;15" "INT;2" "HUP;1")
  list(GET stop 0 signal)
  list(GET stop 1 number)
  stop_a_run(${signal})
  if(NOT status STREQUAL "signal ${number}")
    message(FATAL_ERROR "a run stopped by SIG${signal} ended with '${status}', not by the signal\n${err}")
  endif()
  if(NOT err STREQUAL "levelbuild: stopped by SIG${signal}; its scratch folder and unfinished files are removed\n")
    message(FATAL_ERROR "a run stopped by SIG${signal} says: ${err}")
  endif()
  expect_none("a run stopped by SIG${signal}" "${SCRATCH}/*")
endforeach()

# A stop holds the run's end: a run that gets to its end while its stop is
# under way ends by the signal all the same, with the stop message. Here the
# message waits for a standard error that is a full pipe, while the run
# finishes writing a picture to standard output and gets to its end; only
# then is standard error read.
set(script [=[
use POSIX ();
use Fcntl;
require 'syscall.ph';
pipe(my $errRead, my $errWrite) or die;
my $flags = fcntl($errWrite, F_GETFL, 0);
fcntl($errWrite, F_SETFL, $flags | O_NONBLOCK);
1 while syswrite($errWrite, "x" x 4096);
1 while syswrite($errWrite, "x");
fcntl($errWrite, F_SETFL, $flags);
pipe(my $outRead, my $outWrite) or die;
my $pid = fork();
if ($pid == 0) {
    POSIX::dup2(fileno($outWrite), 1);
    POSIX::dup2(fileno($errWrite), 2);
    exec(@ARGV) or POSIX::_exit(127);
}
close($errWrite);
close($outWrite);
# The picture is on its way (more than the pipe holds): stopped in the
# middle of writing it. Once the stop has taken standard error, the rest of
# the picture is read.
my ($ended, $status) = (0, 0);
my $gone = sub {
    ($ended, $status) = (1, $?) if !$ended && waitpid($pid, POSIX::WNOHANG()) == $pid;
    return $ended;
};
sysread($outRead, my $buffer, 65536);
kill('TERM', $pid);
until ($gone->() || (readlink("/proc/$pid/fd/2") // '') eq '/dev/null') { select(undef, undef, undef, 0.01); }
1 while sysread($outRead, $buffer, 65536);
# The run has ended, or it waits at its end (its main thread in a futex).
until ($gone->()) {
    open(my $stat, '<', "/proc/$pid/stat") or last;
    open(my $call, '<', "/proc/$pid/syscall") or last;
    my $state = <$stat> // '';
    my ($number) = split(/ /, <$call> // '');
    last if $state !~ /\) Z / && defined($number) && $number eq &SYS_futex;
    select(undef, undef, undef, 0.01);
}
my $errors = '';
while (sysread($errRead, $buffer, 65536)) { $errors .= $buffer; }
$errors =~ s/^x+//;
if (!$ended) {
    waitpid($pid, 0);
    $status = $?;
}
print(($status & 127) ? "signal " . ($status & 127) : "exit " . ($status >> 8), "\n", $errors);
]=])
file(WRITE "${WORK}/tiny.txt" "level\n    playingArea -2048 1600 2048 0\nterrain\n    ground -4096 300  4096 300\n")
execute_process(COMMAND ${CMAKE_COMMAND} -E env "TMPDIR=${SCRATCH}" perl -e "${script}"
                        "${LEVELBUILD}" --picture /dev/fd/1 --frame 2 "${WORK}/tiny.txt"
                OUTPUT_VARIABLE out TIMEOUT 600)
if(NOT out STREQUAL "signal 15\nlevelbuild: stopped by SIGTERM; its scratch folder and unfinished files are removed\n")
  message(FATAL_ERROR "a run that got to its end while its stop was under way: ${out}")
endif()
expect_none("a run that got to its end while its stop was under way" "${SCRATCH}/*")

# Folders of runs that were killed: one quiet for two hours goes; one that
# changed a moment ago stays (its run may be about to lock it), as does one
# whose run holds its lock (quiet as long), a folder that is not
# levelbuild's, and (where the test may give it away) one of another user's.
set(others zub-levels-recent zub-levels-locked zub-levels-toolong other-folder)
execute_process(COMMAND id -u OUTPUT_VARIABLE uid OUTPUT_STRIP_TRAILING_WHITESPACE)
if(uid STREQUAL "0")
  list(APPEND others zub-levels-others)
endif()
foreach(name zub-levels-killed ${others})
  file(MAKE_DIRECTORY "${SCRATCH}/${name}/levels")
  file(WRITE "${SCRATCH}/${name}/levels/a1.lev" "half a level")
  if(NOT name STREQUAL "zub-levels-recent")
    execute_process(COMMAND touch -d "2 hours ago" "${SCRATCH}/${name}")
  endif()
endforeach()
if(uid STREQUAL "0")
  execute_process(COMMAND chown -R 1234:1234 "${SCRATCH}/zub-levels-others")
  execute_process(COMMAND touch -d "2 hours ago" "${SCRATCH}/zub-levels-others")
endif()
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
foreach(kept ${others})
  if(NOT EXISTS "${SCRATCH}/${kept}/levels/a1.lev")
    message(FATAL_ERROR "a later run removed ${kept}")
  endif()
endforeach()
if(EXISTS "${SCRATCH}/zub-levels-killed")
  message(FATAL_ERROR "the folder a killed run left is still there")
endif()
