// The players' files: the local file system.
#pragma once

#include "Files.h"

#include <map>

struct stat;
#include <string>

namespace platform {

class PosixFiles : public Files {
public:
    // The call that locks a whole open file, as flock(2). Tests put in one that
    // refuses (ENOLCK), as some network and FUSE mounts do.
    using LockCall = int (*)(int fd, int operation);
    // The call that tells what an open file is, as fstat(2). Tests put in one
    // that answers for the file now at the path it was opened at, as path-based
    // FUSE mounts (sshfs, bindfs) do.
    using StatCall = int (*)(int fd, struct stat* info);
    explicit PosixFiles(LockCall lockCall = nullptr, StatCall statCall = nullptr);

    File* Open(const std::string& path, FileAccess access, OpenResult& result) override;
    File* Create(const std::string& path) override;
    bool Lock(const std::string& path) override;
    void Unlock(const std::string& path) override;
    std::string Resolve(const std::string& path) override;
    std::size_t Read(File* file, std::uint8_t* bytes, std::size_t limit, bool& failed) override;
    bool WriteAt(File* file, std::size_t offset, const std::uint8_t* bytes, std::size_t size) override;
    bool SetSize(File* file, std::size_t size) override;
    bool Flush(File* file) override;
    bool Close(File* file) override;
    File* CreateBeside(const std::string& beside, std::string& made) override;
    void RemoveLeftCopies(const std::string& beside) override;
    bool Replace(const std::string& from, const std::string& to) override;
    bool Remove(const std::string& path) override;

private:
    // What a lock holds: the lock file made beside the file, and the file's
    // own descriptor that keeps the file's own lock past the game's close.
    struct Hold {
        int lockFile = -1;
        int keptOpen = -1;
    };
    LockCall lockCall_;
    StatCall statCall_;
    std::map<std::string, Hold> holds_;
};

}  // namespace platform
