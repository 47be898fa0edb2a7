#pragma once
// How levelbuild reads the files it is given: descriptions, key scripts and
// plans, each read whole through the engine's reader of regular files.
#include <cstddef>
#include <string>
#include <string_view>

namespace levelbuild {

// The largest description, key script or plan read: 1 MiB. The largest
// file of content/levels/ is a description of about 10 KB; a hundred times
// that leaves room for any level a designer writes, and a wrong file given
// by mistake (a disk image, a log) is refused instead of read into memory
// whole.
constexpr size_t kMaxTextFileBytes = size_t{1} << 20;

// Reads the whole file into `text`: only a regular file (never waiting on a
// named pipe) of at most kMaxTextFileBytes. False otherwise, with the
// system's error number in `error` (ENOENT when nothing is there, EISDIR for
// a folder, EINVAL for a named pipe, device or socket, EFBIG for a file over
// the limit, the read's error when reading fails) and `text` empty.
bool readTextFile(const std::string& path, std::string& text, int& error);

// "levelbuild: <path>: cannot be read: <why>", the reason in plain words.
std::string unreadableFile(const std::string& path, int error);

// A file name, or text read from a file, as levelbuild prints it: escaped
// as the game's log escapes what comes from outside (escapeForLog), so a
// name with a line break or a control character stays on its line and a
// NUL byte does not end the message ("a\nb.txt", "'1\x00'").
std::string printable(std::string_view text);

}  // namespace levelbuild
