#pragma once
// How levelbuild writes what it makes: level files, their maps, pictures and
// key scripts all go through writeOutputFile, whatever stands at the path.
//
// - Nothing there, a regular file, or a symbolic link to one, to a folder or
//   to nothing: the bytes go to a new temporary file beside the path, which
//   is then renamed over it (AtomicFile). A reader sees the old file or the
//   whole new one, never a half-written one; such a link is replaced by the
//   file, never written through. Temporary files that killed runs left in
//   that folder (quiet for a minute, held by no write) are removed first.
// - A stream: a character device (/dev/null, a terminal) or a pipe (named,
//   or a shell's, as /dev/stdout or the /dev/fd/N of ">(...)" name it),
//   named directly or through links: written to as a stream, never created,
//   truncated or replaced, so "--out /dev/null" discards and "--picture
//   /dev/stdout" writes to standard output. A pipe nobody reads from is
//   refused at once, without waiting for a reader; one whose reader goes
//   away in the middle fails the write (the program ignores SIGPIPE).
// - A link to a descriptor (/dev/stdout, /dev/fd/3, /proc/self/fd/1, and
//   any link that leads to one): never replaced. A stream there is written
//   to as above; a regular file this run's descriptor is open on for
//   writing (/dev/stdout in "levelbuild --picture /dev/stdout ... > pic.png")
//   gets the bytes from where the descriptor stands. A descriptor that is
//   closed, open for reading only (standard input from a file) or open on a
//   folder or a socket is refused, and so is another process's descriptor
//   that is no stream.
// - A link to the regular file that standard output or error was sent to
//   (named through a link of its own): the bytes are written to that
//   stream, from where it stands, and the link stays.
// - A folder, a socket or a block device (directly or through links):
//   refused, before any byte is written.
#include <cstddef>
#include <string>

namespace levelbuild {

// Writes the bytes to `path` as above. False when the target is refused or a
// step fails (opening, writing, syncing, closing or renaming), with
// "<path>: cannot be written: <why>" in `error` (the name printable); nothing
// of the attempt is left then (the temporary file is removed).
bool writeOutputFile(const std::string& path, const void* data, size_t size, std::string& error);

// What writeOutputFile does where it found a stream: opens the path (links
// followed) as it stands then, never creating or truncating it, refuses
// whatever is no stream by then (a regular file that took a device's place)
// and a pipe without a reader, before a byte is written; then writes the
// bytes, waiting for the stream as a writer to it does.
bool writeToStream(const std::string& path, const void* data, size_t size, std::string& error);

}  // namespace levelbuild
