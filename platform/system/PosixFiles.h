// The players' files: the local file system.
#pragma once

#include "Files.h"

namespace platform {

class PosixFiles final : public Files {
public:
    File* Open(const std::string& path, FileAccess access, OpenResult& result) override;
    File* Create(const std::string& path) override;
    bool Lock(File* file, const std::string& path) override;
    std::string Resolve(const std::string& path) override;
    std::size_t Read(File* file, std::uint8_t* bytes, std::size_t limit, bool& failed) override;
    bool WriteAt(File* file, std::size_t offset, const std::uint8_t* bytes, std::size_t size) override;
    bool Flush(File* file) override;
    bool Close(File* file) override;
    File* CreateBeside(const std::string& beside, std::string& made) override;
    void RemoveLeftCopies(const std::string& beside) override;
    bool Replace(const std::string& from, const std::string& to) override;
    bool Remove(const std::string& path) override;
};

}  // namespace platform
