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
// starts): SIGINT, SIGTERM and SIGHUP remove what the run leaves, say so on
// stderr and end the run by that signal; a fatal error removes it too; and
// a file size limit fails a write (EFBIG, as a full disk) instead of ending
// the run with SIGXFSZ.
void endCleanlyOnSignals();

}  // namespace levelbuild
