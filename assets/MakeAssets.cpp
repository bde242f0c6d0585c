// Build-time maker of the game's sounds and tunes.
//   vorntak_make_assets --sounds <file.cpp>   the compiled-in WAVE resources as C++ source
//   vorntak_make_assets --run-dir <dir>       the tunes and Cut1.wav, beside the game
#include "Midi.h"
#include "Sounds.h"
#include "Synth.h"
#include "Tunes.h"

#include <cstdio>
#include <exception>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

void WriteFile(const std::string& path, const std::string& bytes) {
    // Written aside and renamed, so an interrupted build leaves no half file.
    const std::string temp = path + ".part";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out) throw std::runtime_error("cannot write " + temp);
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) throw std::runtime_error("cannot rename to " + path);
}

void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    WriteFile(path, std::string(bytes.begin(), bytes.end()));
}

std::string SoundsSource() {
    std::ostringstream src;
    src << "// Made by vorntak_make_assets at build time: edit assets/Sounds.cpp instead.\n"
           "#include \"GeneratedSounds.h\"\n\n#include <cstdint>\n\nnamespace assets {\nnamespace {\n\n";
    const std::vector<assets::GameSound> sounds = assets::MakeGameSounds();
    for (const assets::GameSound& s : sounds) {
        const std::vector<std::uint8_t> image = assets::WaveImage(s.pcm);
        src << "// " << s.name << ": " << s.seconds << " s, " << s.pcm.size() << " samples\n"
            << "const std::uint8_t k" << s.name << "[" << image.size() << "] = {";
        for (std::size_t i = 0; i < image.size(); ++i) src << (i ? "," : "") << (i % 24 ? "" : "\n") << unsigned(image[i]);
        src << "\n};\n\n";
    }
    src << "}  // namespace\n\nconst platform::Resource kCompiledWaves[] = {\n";
    for (const assets::GameSound& s : sounds)
        src << "    {\"WAVE\", \"" << s.name << "\", k" << s.name << ", sizeof k" << s.name << "},\n";
    src << "};\nconst std::size_t kCompiledWaveCount = " << sounds.size() << ";\n\n}  // namespace assets\n";
    return src.str();
}

void WriteRunDir(const std::string& dir) {
    for (const assets::TuneFile& t : assets::MakeTunes()) WriteFile(dir + "/" + t.fileName, assets::WriteSmf(t.tune));
    WriteFile(dir + "/Cut1.wav", assets::WaveImage(assets::MakeDiscCut()));
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const std::string mode = argc == 3 ? argv[1] : "";
        if (mode == "--sounds") {
            WriteFile(argv[2], SoundsSource());
        } else if (mode == "--run-dir") {
            WriteRunDir(argv[2]);
        } else {
            std::fprintf(stderr, "usage: %s --sounds <file.cpp> | --run-dir <dir>\n", argv[0]);
            return 2;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vorntak_make_assets: %s\n", e.what());
        return 1;
    }
    return 0;
}
