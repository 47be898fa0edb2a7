#pragma once
// How levelbuild writes what it makes: level files, their maps, pictures and
// key scripts all go through writeOutputFile, whatever stands at the path.
//
// - Nothing there, a regular file or a symbolic link: the bytes go to a new
//   temporary file beside it, which is then renamed over the path
//   (AtomicFile). A reader sees the old file or the whole new one, never a
//   half-written one; a link is replaced by the file, never written through.
//   Temporary files that killed runs left in that folder (quiet for a
//   minute, held by no write) are removed first.
// - A character device (/dev/null, a terminal): written to as a stream, never
//   created, truncated or replaced, so "--out /dev/null" discards.
// - A folder, a named pipe, a socket or a block device: refused, before any
//   byte is written and without waiting for a reader.
#include <cstddef>
#include <string>

namespace levelbuild {

// Writes the bytes to `path` as above. False when the target is refused or a
// step fails (opening, writing, syncing, closing or renaming), with
// "<path>: cannot be written: <why>" in `error` (the name printable); nothing
// of the attempt is left then (the temporary file is removed).
bool writeOutputFile(const std::string& path, const void* data, size_t size, std::string& error);

// What writeOutputFile does where it found a character device: writes the
// bytes to the device as it stands when opened (blocking, as a stream), and
// refuses, before a byte is written, whatever else has taken its place by
// then (a regular file, a named pipe).
bool writeToCharacterDevice(const std::string& path, const void* data, size_t size, std::string& error);

}  // namespace levelbuild
