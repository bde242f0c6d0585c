#include "HeadlessFiles.h"

#include <algorithm>
#include <string>

namespace platform {
namespace {

struct HeadlessFile final : File {
    std::string path;
    std::size_t position = 0;
};
HeadlessFile& Of(File* file) { return *static_cast<HeadlessFile*>(file); }

}  // namespace

bool HeadlessFiles::Refused(Step step) {
    const auto it = refusals_.find(step);
    if (it == refusals_.end()) return false;
    if (it->second == 0) return true;
    --it->second;
    return false;
}

File* HeadlessFiles::Open(const std::string& path, FileAccess, OpenResult& result) {
    result = unopenable.count(path) ? OpenResult::CannotOpen
             : !files.count(path)   ? OpenResult::NoSuchFile
             : Refused(Step::Open)  ? OpenResult::CannotOpen
                                    : OpenResult::Opened;
    if (result != OpenResult::Opened) return nullptr;
    openPaths_.insert(path);
    auto* file = new HeadlessFile;
    file->path = path;
    return file;
}

File* HeadlessFiles::Create(const std::string& path) {
    if (unopenable.count(path) || Refused(Step::Create)) return nullptr;
    files[path];  // one made meanwhile is opened as it stands
    openPaths_.insert(path);
    auto* file = new HeadlessFile;
    file->path = path;
    return file;
}

bool HeadlessFiles::Lock(const std::string& path) {
    return !Refused(Step::Lock) && locked_.insert(path).second;
}

std::size_t HeadlessFiles::Read(File* file, std::uint8_t* bytes, std::size_t limit, bool& failed) {
    failed = Refused(Step::Read);
    if (failed) return 0;
    const std::vector<std::uint8_t>& data = files[Of(file).path];
    const std::size_t from = std::min(Of(file).position, data.size());
    const std::size_t got = std::min(limit, data.size() - from);
    std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(from), got, bytes);
    Of(file).position = from + got;
    return got;
}

bool HeadlessFiles::WriteAt(File* file, std::size_t offset, const std::uint8_t* bytes, std::size_t size) {
    if (Refused(Step::Write)) return false;
    std::vector<std::uint8_t>& data = files[Of(file).path];
    const std::size_t end = std::min(offset + size, std::max(sizeLimit, offset));
    if (data.size() < end) data.resize(end);
    std::copy_n(bytes, end - offset, data.begin() + static_cast<std::ptrdiff_t>(offset));
    return end == offset + size;
}

bool HeadlessFiles::SetSize(File* file, std::size_t size) {
    if (Refused(Step::SetSize)) return false;
    files[Of(file).path].resize(size);
    return true;
}

bool HeadlessFiles::Flush(File*) { return !Refused(Step::Flush); }

bool HeadlessFiles::Close(File* file) {
    openPaths_.erase(openPaths_.find(Of(file).path));
    delete &Of(file);
    return !Refused(Step::Close);
}

File* HeadlessFiles::CreateBeside(const std::string& beside, std::string& made) {
    if (Refused(Step::CreateBeside)) return nullptr;
    made = beside + ".new" + std::to_string(++made_);
    return Create(made);
}

void HeadlessFiles::RemoveLeftCopies(const std::string& beside) {
    const std::string copies = beside + ".new";
    std::erase_if(files, [&](const auto& file) { return file.first.starts_with(copies); });
}

bool HeadlessFiles::Replace(const std::string& from, const std::string& to) {
    if (Refused(Step::Replace) || !files.count(from) || openPaths_.count(to)) return false;
    files[to] = std::move(files[from]);
    files.erase(from);
    return true;
}

bool HeadlessFiles::Remove(const std::string& path) { return !Refused(Step::Remove) && files.erase(path) == 1; }

}  // namespace platform
