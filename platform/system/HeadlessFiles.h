// Files for tests: held in memory by path, every step able to fail on demand.
#pragma once

#include "Files.h"

#include <cstdint>
#include <limits>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace platform {

class HeadlessFiles final : public Files {
public:
    enum class Step { Open, Create, Lock, Read, Write, SetSize, Flush, Close, CreateBeside, Replace, Remove };

    // The files there are, by path, and paths that hold something no file opens from (a folder, a FIFO).
    std::map<std::string, std::vector<std::uint8_t>> files;
    std::set<std::string> unopenable;
    // How large a file may grow: a write past it stops there and fails, as under a file-size limit.
    std::size_t sizeLimit = std::numeric_limits<std::size_t>::max();

    // The step fails from its (n+1)-th call on.
    void Refuse(Step step, int afterSuccesses = 0) { refusals_[step] = afterSuccesses; }
    int OpenFiles() const { return static_cast<int>(openPaths_.size()); }
    int HeldLocks() const { return static_cast<int>(locked_.size()); }

    File* Open(const std::string& path, FileAccess access, OpenResult& result) override;
    File* Create(const std::string& path) override;
    // Fails while the path is locked already, as for a second game.
    bool Lock(const std::string& path) override;
    void Unlock(const std::string& path) override { locked_.erase(path); }
    std::string Resolve(const std::string& path) override { return path; }
    std::size_t Read(File* file, std::uint8_t* bytes, std::size_t limit, bool& failed) override;
    bool WriteAt(File* file, std::size_t offset, const std::uint8_t* bytes, std::size_t size) override;
    bool SetSize(File* file, std::size_t size) override;
    bool Flush(File* file) override;
    bool Close(File* file) override;
    File* CreateBeside(const std::string& beside, std::string& made) override;
    // Every copy here counts as old enough.
    void RemoveLeftCopies(const std::string& beside) override;
    // Fails while `to` is open, as the rename on a file system that would move
    // the open file aside and could lose it.
    bool Replace(const std::string& from, const std::string& to) override;
    bool Remove(const std::string& path) override;

private:
    bool Refused(Step step);
    std::map<Step, int> refusals_;
    std::multiset<std::string> openPaths_;
    std::set<std::string> locked_;
    int made_ = 0;
};

}  // namespace platform
