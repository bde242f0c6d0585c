// Files by path: the few operations the game's own files need (the survival
// score table), with the failures it tells apart.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// An open file, made and closed by the service.
struct File {
    virtual ~File() = default;
};

enum class OpenResult {
    Opened,
    NoSuchFile,  // nothing at the path
    CannotOpen,  // something is there, but no regular file that opens (a folder, a FIFO, no permission)
};

enum class FileAccess { Read, Write, Update };  // Update: reading and writing

class Files {
public:
    virtual ~Files() = default;

    // An existing regular file, opened for reading, writing or both.
    virtual File* Open(const std::string& path, FileAccess access, OpenResult& result) = 0;
    // A new empty file, open for reading and writing. Null when it fails. A file
    // that another program made at that path meanwhile is opened as it stands.
    virtual File* Create(const std::string& path) = 0;
    // Takes the file at `path` for this program alone until Unlock, before it
    // is opened: what is opened and read at `path` meanwhile is then the file
    // that only the holder changes, on every mount of its folder. The hold
    // outlives any file's close, so a copy can take the file's place while it
    // is held. False when another program holds it, or when nothing here can
    // hold it; nothing is then held.
    virtual bool Lock(const std::string& path) = 0;
    // Lets go of what Lock took for `path`.
    virtual void Unlock(const std::string& path) = 0;
    // The path of the file that `path` names through any symbolic links;
    // `path` itself when nothing is there.
    virtual std::string Resolve(const std::string& path) = 0;
    // Up to `limit` bytes from where the last read ended; fewer at the end of the
    // file or when a read fails (`failed` then tells which).
    virtual std::size_t Read(File* file, std::uint8_t* bytes, std::size_t limit, bool& failed) = 0;
    // All `size` bytes at `offset`, or false.
    virtual bool WriteAt(File* file, std::size_t offset, const std::uint8_t* bytes, std::size_t size) = 0;
    // Cuts the file, or lengthens it with zero bytes, to `size` bytes.
    virtual bool SetSize(File* file, std::size_t size) = 0;
    // Sends the file's data to the disk; false when it could not be kept.
    virtual bool Flush(File* file) = 0;
    // Closes the file; false when its data could not be kept (a full disk may only show here).
    virtual bool Close(File* file) = 0;
    // A new empty file of a name no other file has, in the folder of `beside`,
    // with the access rights, owner and group of the file at `beside`, open for
    // writing; its path goes to `made`. Null when the folder takes no new file
    // (read-only, full), or when no new file could take the place of the one at
    // `beside` and be the same file to everyone: it has other names (hard
    // links), or an owner or group the new file cannot be given.
    virtual File* CreateBeside(const std::string& beside, std::string& made) = 0;
    // Removes the files that CreateBeside made beside `beside` and that never
    // took its place (the program was killed meanwhile), once they are old
    // enough that no program can still be writing them.
    virtual void RemoveLeftCopies(const std::string& beside) = 0;
    // Puts the file at `from` in the place of the one at `to`, in one step.
    // Never while this program holds `to` open: some network and FUSE file
    // systems then move the open file aside first, and a failure between the
    // two steps leaves nothing at `to`.
    virtual bool Replace(const std::string& from, const std::string& to) = 0;
    virtual bool Remove(const std::string& path) = 0;
};

}  // namespace platform
