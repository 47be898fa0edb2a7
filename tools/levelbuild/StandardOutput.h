#pragma once
// Standard output as levelbuild prints to it. What a run prints there (the
// lines of --list, --check, --hash, --classes and --play, the keys of
// --record, the names of the files written) goes through a stream that
// keeps why a write to it failed (a full device, a reader that went away, a
// descriptor open for reading only), so that the run can say so and fail
// rather than end as if everything had arrived.
#include <string>

namespace levelbuild {

// Puts that stream in the place of stdout. For the start of main, after the
// closed standard streams are filled and before anything is printed.
void watchStandardOutput();

// Flushes standard output; why what was printed there did not all arrive
// ("No space left on device"), or empty when it did. A standard output that
// was closed at the start and that nothing could fill (no /dev/null) takes
// everything, as /dev/null would have.
std::string standardOutputFailure();

}  // namespace levelbuild
