// Files that appear under their name only when they are complete.
//
// A HiddenFile is written in the folder of its final name, so that giving it that name
// never crosses file systems. Where the file system can (O_TMPFILE), the file has no
// name at all while it is written: a program killed part way, even by SIGKILL, leaves
// nothing. On commit it is linked to a unique temporary name and renamed over the
// final name, which replaces an older file of that name in one step. Where the file
// system cannot, the file is written under a unique temporary name from the start.
//
// A temporary name that exists on the way (only between link and rename, or for the
// whole write on a file system without O_TMPFILE) is recorded where the handlers of
// SIGINT, SIGTERM and SIGHUP find it: they remove it before the program ends.
#pragma once

#include <functional>
#include <string>
#include <string_view>

class HiddenFile {
  public:
    // Gives a fresh temporary path in the folder of the final name; asked again when a
    // name is taken.
    using NameMaker = std::function<std::string()>;

    HiddenFile() = default;
    ~HiddenFile() { Abandon(); }
    HiddenFile(const HiddenFile&) = delete;
    HiddenFile& operator=(const HiddenFile&) = delete;

    // Opens a new, empty file for writing that will be finalPath. The file gets the
    // permission bits of mode less the umask. False with errno set when no file can be
    // made (a missing or denied folder, a full disk).
    bool Open(const std::string& finalPath, unsigned mode, NameMaker temporaryName);
    // The file descriptor to write to; -1 when not open.
    int fd() const { return fd_; }
    // True when no name shows the file while it is written.
    bool hidden() const { return hidden_; }
    // The temporary name the file has or had on its way to the final name; empty while
    // a hidden file is written.
    const std::string& temporaryPath() const { return temporary_; }

    // Makes the written file the file of the final name (after writing it to the disk
    // first when sync is set) and closes it. False with errno set when that fails; then
    // nothing is left and a file of the final name is as it was.
    bool Commit(bool sync = false);
    // Closes the file and removes what was written. Nothing when not open.
    void Abandon();

  private:
    bool OpenVisible(unsigned mode);
    bool LinkToTemporaryName();
    // Gives the file a fresh temporary name with make(name), which creates it and is false
    // with errno set when it cannot; asked again while a name is taken.
    template <class Make> bool ClaimTemporaryName(Make make);
    // The temporary name is gone (renamed or removed) or was never made.
    void Unname();

    int fd_ = -1;
    bool hidden_ = false;
    bool named_ = false; // the temporary name exists and is this file's
    int slot_ = -1;      // registry slot of the visible temporary name
    std::string final_;
    std::string temporary_;
    NameMaker makeName_;
};

// Writes data as the new contents of the file at path, whole or not at all: through a
// hidden file beside the file that is replaced, synced, then renamed over it. A path
// that is a symbolic link keeps its link, and the file it leads to gets the contents.
// The file keeps the permission bits of the file it replaces; a new file gets
// newFileMode exactly. False with errno set when the file could not be written; the old
// file is then unchanged and nothing is left behind.
bool ReplaceFileAtomically(const std::string& path, std::string_view data, unsigned newFileMode);

// The registry of visible temporary files that the signal handlers remove. Register
// installs the handlers the first time (a signal the process ignores stays ignored)
// and gives a slot, or -1 when every slot is taken or the path is too long.
int RegisterTemporaryFile(const std::string& path);
void UnregisterTemporaryFile(int slot);
