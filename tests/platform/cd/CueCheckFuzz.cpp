// libFuzzer: a cue sheet the game's check passes must open in libcdio, and
// give its table of contents, without a memory error. The sheet is written
// beside two small BIN files and a FIFO, so FILE lines can name each.
#include "ImageCheck.h"
#include "LibcdioSource.h"

#include <cdio/cdio.h>
#include <cdio/logging.h>

#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::string folder;

void Quiet(cdio_log_level_t, const char*) {}

void WriteZeros(const std::string& path, std::size_t bytes) {
    std::ofstream out(path, std::ios::binary);
    const std::vector<char> zeros(bytes, 0);
    out.write(zeros.data(), static_cast<std::streamsize>(zeros.size()));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* named = std::getenv("CUE_FUZZ_FOLDER");
    folder = std::filesystem::absolute(named ? named : "build/fuzz/cue-files").string() + "/";
    std::filesystem::create_directories(folder);
    WriteZeros(folder + "disc.bin", 300 * 2352);
    WriteZeros(folder + "b.bin", 20 * 2352);
    if (!std::filesystem::exists(folder + "fifo.bin")) ::mkfifo((folder + "fifo.bin").c_str(), 0600);
    cdio_log_set_handler(&Quiet);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string cue = folder + "sheet.cue";
    {
        std::ofstream out(cue, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    std::vector<std::string> files;
    if (!platform::CheckCueSheet(cue, files)) return 0;
    if (CdIo_t* disc = cdio_open_cue(cue.c_str())) {
        platform::DiscToc toc;
        platform::ReadToc(disc, toc);
        cdio_destroy(disc);
    }
    return 0;
}
