#include "HeadlessBackends.h"
#include "PlayerBackends.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

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
