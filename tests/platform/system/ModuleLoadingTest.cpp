#include "HeadlessBackends.h"
#include "PlayerBackends.h"

#include "ModuleLoader.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

using platform::Module;
using platform::System;

namespace {

int ProbeValueOf(System& system, const char* bareName) {
    Module* module = system.LoadModule(bareName);
    if (!module) return 0;
    auto* probe = reinterpret_cast<int (*)()>(system.FindFunction(module, "ProbeValue"));
    const int value = probe ? probe() : -1;
    system.UnloadModule(module);
    return value;
}

TEST(ModuleLoading, BareNameFindsTheModuleBesideTheProgramBeforeTheCurrentFolder) {
    auto system = platform::MakeHeadlessSystem();
    system->currentDirectory = PROBE_FOLDER;  // holds another SystemProbe.so
    EXPECT_EQ(ProbeValueOf(*system, "SystemProbe"), 1);
    EXPECT_EQ(system->moduleLoads, std::vector<std::string>{"SystemProbe"});
}

TEST(ModuleLoading, FallsBackToTheHeadlessCurrentDirectory) {
    auto system = platform::MakeHeadlessSystem();
    system->currentDirectory = PROBE_FOLDER;
    EXPECT_EQ(ProbeValueOf(*system, "SystemProbeLocal"), 3);
    system->currentDirectory = "/";
    EXPECT_EQ(ProbeValueOf(*system, "SystemProbeLocal"), 0);
}

TEST(ModuleLoading, SdlSystemFallsBackToTheProcessCurrentFolder) {
    auto system = platform::MakeSdlSystem();
    EXPECT_EQ(ProbeValueOf(*system, "SystemProbeLocal"), 0);
    InFolder there(PROBE_FOLDER);
    EXPECT_EQ(ProbeValueOf(*system, "SystemProbeLocal"), 3);
}

// Cut short, the loader faults on pages past the end; a FIFO blocks it for ever.
TEST(ModuleLoading, AFileThatIsNotAWholeSharedLibraryIsRefusedAndTheSearchGoesOn) {
    const std::string real = PROBE_FOLDER "/SystemProbeLocal.so";
    std::ifstream in(real, std::ios::binary);
    const Bytes module{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_GT(module.size(), 4096u);
    EXPECT_TRUE(platform::IsWholeSharedLibrary(real));

    ScratchFolder folder;
    folder.Write("Cut1k.so", Bytes(module.begin(), module.begin() + 1024));
    folder.Write("Cut4k.so", Bytes(module.begin(), module.begin() + 4096));
    ASSERT_EQ(mkfifo((folder.Path() + "/Fifo.so").c_str(), 0600), 0);
    std::filesystem::create_directory(folder.Path() + "/Folder.so");
    for (const char* name : {"Cut1k.so", "Cut4k.so", "Fifo.so", "Folder.so", "Missing.so"})
        EXPECT_FALSE(platform::IsWholeSharedLibrary(folder.Path() + "/" + name)) << name;
    EXPECT_FALSE(platform::IsWholeSharedLibrary("/dev/zero"));

    // A cut copy beside the program: the whole one in the current folder loads.
    const std::string name = "SystemProbeCut" + std::to_string(getpid());
    const std::string beside = std::filesystem::read_symlink("/proc/self/exe").parent_path() / (name + ".so");
    std::ofstream(beside, std::ios::binary).write(reinterpret_cast<const char*>(module.data()), 4096);
    folder.Write(name + ".so", module);
    auto system = platform::MakeHeadlessSystem();
    system->currentDirectory = folder.Path();
    EXPECT_EQ(ProbeValueOf(*system, name.c_str()), 3);
    std::filesystem::remove(folder.Path() + "/" + name + ".so");  // a new file, not the one just mapped
    folder.Write(name + ".so", Bytes(module.begin(), module.begin() + 1024));
    EXPECT_EQ(ProbeValueOf(*system, name.c_str()), 0);
    std::filesystem::remove(beside);
}

TEST(ModuleLoading, MissingModuleOrFunctionGivesNull) {
    auto system = platform::MakeHeadlessSystem();
    EXPECT_EQ(system->LoadModule("NoSuchModule"), nullptr);
    EXPECT_EQ(system->LoadModule(PROBE_FOLDER "/SystemProbeLocal"), nullptr);  // bare names only
    Module* module = system->LoadModule("SystemProbe");
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(system->FindFunction(module, "NoSuchExport"), nullptr);
    system->UnloadModule(module);
    EXPECT_EQ(system->FindFunction(nullptr, "ProbeValue"), nullptr);
    system->UnloadModule(nullptr);
}

}  // namespace
