// Platform services: files, folders, clock, random numbers, the instance lock,
// the console and the default handler.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// Folder of the running executable, with a trailing "/".
std::string ProgramFolder();
// Full path of the running executable.
std::string ProgramPath();
// The per-user configuration folder ($XDG_CONFIG_HOME, else $HOME/.config), no trailing "/".
std::string ConfigHome();

// Current local time as a count of seconds since 1 January 1970 in local time.
int32_t LocalDateNow();
// Converts between local date values and the system clock (seconds since the epoch, UTC).
int64_t LocalDateToUnix(int32_t localDate);
int32_t UnixToLocalDate(int64_t unixTime);

// Uniform random integer from lo to hi inclusive (safe from any thread).
int RandomInt(int lo, int hi);

// File size in bytes; -1 for a missing path, -2 for a folder.
int64_t FileSize(const std::string& path);
bool PathExists(const std::string& path);
bool IsFolder(const std::string& path);
bool IsFile(const std::string& path);
// True when both paths lead to one file (the same device and inode, through any links).
bool IsSameFile(const std::string& a, const std::string& b);
bool MakeFolder(const std::string& path);         // one level
bool MakeFolders(const std::string& path);        // every missing level
bool RenameFile(const std::string& from, const std::string& to);
bool RemoveFile(const std::string& path);
bool ClearReadOnly(const std::string& path);
// Last-modification time as a local date value; false when it cannot be read.
bool GetModificationTime(const std::string& path, int32_t& localDate);
bool SetModificationTime(const std::string& path, int32_t localDate);
bool ReadWholeFile(const std::string& path, std::string& data);
// Reads a regular file of at most maxBytes bytes without ever waiting: a FIFO, a device,
// a folder or a larger file is refused unread.
enum class FileRead {
    kRead,
    kMissing, // nothing by that name (or a link to nothing)
    kRefused, // there is something, but it cannot be read, is no regular file or too large
};
FileRead ReadRegularFile(const std::string& path, size_t maxBytes, std::string& data);

// Folder part of a path, up to and including the last "/" ("" when none).
std::string FolderPart(const std::string& path);
// File part of a path, after the last "/" (or "\").
std::string FilePart(const std::string& path);

// Text of a file without the UTF-8 mark: UTF-8 when valid, else read as Windows-1252.
std::string DecodeAnsiOrUtf8(std::string_view bytes);
bool IsValidUtf8(std::string_view bytes);

// Case mapping through the C library's wide-character functions (UTF-8 text).
std::string ToUpperText(std::string_view text);
std::string ToLowerText(std::string_view text);
// ASCII-only case helpers for keys and options.
std::string AsciiUpper(std::string_view text);
std::string AsciiLower(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);
std::string TrimSpaces(std::string_view text);       // spaces only
std::string TrimBlanks(std::string_view text);       // spaces and tabs

// The single-instance lock: an exclusive lock on a file named after the product title,
// in $XDG_RUNTIME_DIR, else (or when no lock file can be opened there) in a folder of
// this user's own below the temporary folder ($TMPDIR, else /tmp), "brelvix-<uid>",
// made 0700 and used only when it is this user's folder and no link.
enum class InstanceLock {
    kTaken,         // handle holds the lock until ReleaseInstanceLock
    kHeldByAnother, // another running copy holds it
    kUnavailable,   // no lock file could be opened anywhere; handle stays -1
};
InstanceLock AcquireInstanceLock(const std::string& title, int& handle);
void ReleaseInstanceLock(int& handle);

// Opens a document, web address or mail link with the default handler; the result
// is not examined. Tests replace the opener.
void OpenExternal(const std::string& target);
using ExternalOpener = std::function<void(const std::string&)>;
void SetExternalOpener(ExternalOpener opener); // empty restores the default

// Opens /dev/null in place of a closed standard input, output or error.
void KeepStandardStreamsOpen();
// A write into a closed pipe fails with EPIPE instead of ending the process; programs
// started from here get the default handling back.
void IgnoreBrokenPipes();

// Console: standard output for lines, standard error for "Error: " lines. Each write
// reports whether the whole line reached its stream; a failed write changes nothing else.
void ConsoleSetTitle(const std::string& title);
bool ConsoleWriteLine(const std::string& line);
bool ConsoleWriteError(const std::string& line);
// A key press without waiting; true when one was read. End of input counts as a key.
bool ConsoleReadKey();
