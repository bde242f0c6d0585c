#include "ModuleLoader.h"

#include <dlfcn.h>
#include <elf.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <vector>

namespace platform {
namespace {

#if defined(__x86_64__)
constexpr int kMachine = EM_X86_64;
#elif defined(__aarch64__)
constexpr int kMachine = EM_AARCH64;
#else
#error "no ELF machine number for this processor"
#endif

bool ReadAt(int fd, void* into, std::size_t bytes, std::uint64_t offset) {
    std::size_t done = 0;
    while (done < bytes) {
        const ssize_t got = pread(fd, static_cast<char*>(into) + done, bytes - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        done += static_cast<std::size_t>(got);
    }
    return true;
}

bool SharedLibraryInFile(int fd, std::uint64_t fileBytes) {
    Elf64_Ehdr header{};
    if (fileBytes < sizeof header || !ReadAt(fd, &header, sizeof header, 0)) return false;
    if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != ELFCLASS64 ||
        header.e_ident[EI_DATA] != (std::endian::native == std::endian::little ? ELFDATA2LSB : ELFDATA2MSB) ||
        header.e_ident[EI_VERSION] != EV_CURRENT || header.e_type != ET_DYN || header.e_machine != kMachine ||
        header.e_phentsize != sizeof(Elf64_Phdr) || header.e_phnum == 0 || header.e_phnum == PN_XNUM)
        return false;
    const std::uint64_t tableBytes = std::uint64_t{header.e_phnum} * sizeof(Elf64_Phdr);
    if (header.e_phoff > fileBytes || tableBytes > fileBytes - header.e_phoff) return false;

    std::vector<Elf64_Phdr> segments(header.e_phnum);
    if (!ReadAt(fd, segments.data(), tableBytes, header.e_phoff)) return false;
    bool loadable = false;
    for (const Elf64_Phdr& segment : segments) {
        if (segment.p_type != PT_LOAD) continue;
        if (segment.p_offset > fileBytes || segment.p_filesz > fileBytes - segment.p_offset) return false;
        loadable = true;
    }
    return loadable;
}

void* OpenLibrary(const std::filesystem::path& folder, const std::string& fileName) {
    if (folder.empty()) return nullptr;
    const std::filesystem::path path = folder / fileName;
    if (!path.is_absolute()) return nullptr;  // never let dlopen search its own paths
    if (!IsWholeSharedLibrary(path.string())) return nullptr;
    return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

}  // namespace

Module* OpenModule(const std::string& bareName, const std::string& currentDirectory) {
    if (bareName.empty() || bareName.find('/') != std::string::npos) return nullptr;
    const std::string fileName = bareName + ".so";

    std::error_code error;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    void* handle = error ? nullptr : OpenLibrary(executable.parent_path(), fileName);
    if (!handle) handle = OpenLibrary(currentDirectory, fileName);
    dlerror();  // a failed open leaves no message for a later lookup to misread
    return static_cast<Module*>(handle);
}

void* ModuleFunction(Module* module, const char* name) {
    if (!module || !name) return nullptr;
    dlerror();
    return dlsym(module, name);
}

void CloseModule(Module* module) {
    if (module) dlclose(module);
}

bool IsWholeSharedLibrary(const std::string& path) {
    // Non-blocking, so that a FIFO by that name cannot hang the game.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info {};
    const bool whole = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
                       SharedLibraryInFile(fd, static_cast<std::uint64_t>(info.st_size));
    close(fd);
    return whole;
}

}  // namespace platform
