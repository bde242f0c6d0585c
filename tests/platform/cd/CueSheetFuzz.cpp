// libFuzzer: any sheet, parsed by our reader and opened as an image beside a
// data file, gives a table of contents that holds together and reads every
// track without a memory error. The folder holds the data file the sheet's
// stem finds, a small one a FILE line may name, and a FIFO.
#include "CueSheet.h"
#include "ImageSource.h"

#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::string folder;

void WriteTone(const std::string& path, std::size_t sectors) {
    std::ofstream out(path, std::ios::binary);
    std::vector<char> bytes(sectors * platform::DiscSource::kSectorBytes);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = char(i * 31);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void Check(bool holds) {
    if (!holds) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* named = std::getenv("CUE_FUZZ_FOLDER");
    folder = std::filesystem::absolute(named ? named : "build/fuzz/cue-files").string() + "/";
    std::filesystem::create_directories(folder);
    WriteTone(folder + "sheet.bin", 300);
    WriteTone(folder + "b.bin", 20);
    if (!std::filesystem::exists(folder + "fifo.bin")) ::mkfifo((folder + "fifo.bin").c_str(), 0600);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    platform::CueSheet sheet;
    if (platform::ParseCueSheet(text, sheet)) {
        const platform::DiscToc& toc = sheet.toc;
        Check(toc.count >= 1 && toc.count <= platform::DiscToc::kMaxTracks);
        for (int track = 1; track <= toc.count; ++track)
            Check(toc.run[track] <= toc.index1[track] && (track == 1 || toc.run[track] > toc.index1[track - 1]));
    }

    const std::string cue = folder + "sheet.cue";
    {
        std::ofstream out(cue, std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(size));
    }
    auto image = platform::OpenImage(cue);
    if (!image) return 0;
    const platform::DiscToc& toc = image->Toc();
    Check(toc.count >= 1 && toc.index1[toc.count] < toc.leadOut);
    std::vector<std::uint8_t> bytes(16 * platform::DiscSource::kSectorBytes);
    for (int track = 1; track <= toc.count; ++track) {
        image->Read(toc.run[track], 16, bytes.data());
        image->Read(toc.leadOut - 8, 16, bytes.data());  // over the end
    }
    image->StillThere();
    return 0;
}
