#pragma once
// The scratch folders levelbuild plays levels in ("zub-levels-XXXXXX" in the
// temporary folder, $TMPDIR), and what a run leaves behind however it ends.
//
// - A scratch folder goes when its level environment does, and with the run
//   when it is stopped (SIGINT, SIGTERM, SIGHUP) or ends in a fatal error;
//   so do the temporary files of the outputs it was writing (AtomicFile).
// - A run that could not clean up (killed with SIGKILL, a power cut) leaves
//   its folder behind; the next run removes it. A live run holds a lock on
//   its folder (flock), so only folders of runs that have ended are taken,
//   and only the user's own, and none younger than a minute.
#include <string>

namespace levelbuild {

// A new scratch folder (its path, with a trailing '/'), after removing those
// that ended runs left. Fatal when none can be made.
std::string makeScratchFolder();
// Removes the folder and everything in it.
void removeScratchFolder(const std::string& folder);
// Removes every scratch folder of the run and the temporary file of every
// output it is still writing; after it, no new scratch folder or output
// file can be made (the run is ending).
void removeWhatTheRunLeaves();

// For the levelbuild program, first thing in main (before any thread
// starts): SIGINT, SIGTERM and SIGHUP stop the run (beginStop, endStop); a
// fatal error removes what the run leaves and ends it with exit code 1; a
// file size limit fails a write (EFBIG, as a full disk) instead of ending
// the run with SIGXFSZ, and a pipe whose reader has gone fails a write
// (EPIPE) instead of ending it with SIGPIPE.
void endCleanlyOnSignals();

// The exit code of a run that ends by itself (main returns it). Once a stop
// has begun it never returns: the stop ends the run by its signal. A stop
// that comes after it is too late and leaves the run to end by itself.
int finishRun(int exitCode);

// What a stop does, in the thread that waits for the signals. beginStop:
// from then on the run says nothing more (its standard output and error go
// nowhere), makes nothing new (no scratch folder, temporary file or folder)
// and ends no other way (finishRun and a fatal error wait for the stop),
// and what it leaves is removed (removeWhatTheRunLeaves); false, doing
// nothing, when the run has already finished. endStop: says "levelbuild:
// stopped by <signal>; ..." on the standard error the run had, and ends the
// run by that signal, as whoever sent it expects.
bool beginStop();
[[noreturn]] void endStop(int sig);

}  // namespace levelbuild
