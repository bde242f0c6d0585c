#include "VideoTestSupport.h"

#include "SdlInputMap.h"

#include <SDL.h>

#include <cstdlib>
#include <vector>

namespace platform {
namespace {

struct GameKey {
    SDL_Scancode scancode;
    std::uint8_t virtualKey;
};

constexpr GameKey kGameKeys[] = {
    {SDL_SCANCODE_W, 'W'}, {SDL_SCANCODE_A, 'A'}, {SDL_SCANCODE_S, 'S'}, {SDL_SCANCODE_D, 'D'},
    {SDL_SCANCODE_G, 'G'}, {SDL_SCANCODE_H, 'H'}, {SDL_SCANCODE_J, 'J'}, {SDL_SCANCODE_K, 'K'},
    {SDL_SCANCODE_B, 'B'}, {SDL_SCANCODE_V, 'V'}, {SDL_SCANCODE_LEFT, VkLeft}, {SDL_SCANCODE_UP, VkUp},
    {SDL_SCANCODE_RIGHT, VkRight}, {SDL_SCANCODE_DOWN, VkDown}, {SDL_SCANCODE_KP_1, VkNumpad1},
    {SDL_SCANCODE_KP_2, VkNumpad2}, {SDL_SCANCODE_KP_4, VkNumpad4}, {SDL_SCANCODE_KP_5, VkNumpad5},
    {SDL_SCANCODE_KP_6, VkNumpad6}, {SDL_SCANCODE_KP_PLUS, VkAdd}, {SDL_SCANCODE_ESCAPE, VkEscape},
    {SDL_SCANCODE_F1, VkF1}, {SDL_SCANCODE_F2, VkF2},
};

TEST(SdlKeyboardTest, EveryKeyTheGameReadsSetsOnlyItsVirtualKey) {
    for (const GameKey& key : kGameKeys) {
        std::vector<std::uint8_t> state(SDL_NUM_SCANCODES, 0);
        state[key.scancode] = 1;
        std::uint8_t keys[256];
        FillVirtualKeyState(state.data(), SDL_NUM_SCANCODES, keys);
        int down = 0;
        for (std::uint8_t entry : keys) down += entry != 0;
        EXPECT_EQ(keys[key.virtualKey], kKeyDown) << SDL_GetScancodeName(key.scancode);
        EXPECT_EQ(down, 1) << SDL_GetScancodeName(key.scancode);
    }
}

// The event loop on SDL's dummy video driver, with events pushed as a
// keyboard would send them.
class SdlApplicationTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    }
    static void TearDownTestSuite() { SDL_Quit(); }

    static void PushKey(SDL_Scancode scancode, SDL_Keycode symbol, Uint16 modifiers, Uint8 repeat = 0) {
        SDL_Event event{};
        event.type = SDL_KEYDOWN;
        event.key.state = SDL_PRESSED;
        event.key.repeat = repeat;
        event.key.keysym.scancode = scancode;
        event.key.keysym.sym = symbol;
        event.key.keysym.mod = modifiers;
        ASSERT_EQ(SDL_PushEvent(&event), 1);
    }

    // Runs the loop for one pass: the events pushed, then the idle call closes.
    std::vector<std::uint16_t> DispatchedKeys(SdlApplication& app) {
        std::vector<std::uint16_t> keys;
        app.Run([&](std::uint16_t key) { keys.push_back(key); }, [&] {
            keys.push_back(0);
            app.Close();
        });
        return keys;
    }
};

TEST_F(SdlApplicationTest, KeypadKeysArriveAsNumpadCodesUnderEitherNumLock) {
    SdlApplication app;
    PushKey(SDL_SCANCODE_KP_4, SDLK_LEFT, KMOD_NONE);  // NumLock off: the key types an arrow
    PushKey(SDL_SCANCODE_KP_4, SDLK_KP_4, KMOD_NUM);
    PushKey(SDL_SCANCODE_KP_1, SDLK_END, KMOD_NONE);
    PushKey(SDL_SCANCODE_KP_PLUS, SDLK_KP_PLUS, KMOD_NUM);
    EXPECT_EQ(DispatchedKeys(app), (std::vector<std::uint16_t>{VkNumpad4, VkNumpad4, VkNumpad1, VkAdd, 0}));
}

TEST_F(SdlApplicationTest, AutoRepeatedKeysAreDispatchedBeforeTheIdleCall) {
    SdlApplication app;
    PushKey(SDL_SCANCODE_F1, SDLK_F1, KMOD_NONE);
    PushKey(SDL_SCANCODE_F1, SDLK_F1, KMOD_NONE, 1);
    PushKey(SDL_SCANCODE_F2, SDLK_F2, KMOD_NONE);
    EXPECT_EQ(DispatchedKeys(app), (std::vector<std::uint16_t>{VkF1, VkF1, VkF2, 0}));
}

TEST_F(SdlApplicationTest, QuitOrTheWindowCloseButtonClosesBeforeAnyIdleCall) {
    for (bool quit : {true, false}) {
        SdlApplication app;
        int closes = 0;
        app.SetCloseHandler([&] { ++closes; });
        SDL_Event event{};
        event.type = quit ? SDL_QUIT : SDL_WINDOWEVENT;
        event.window.event = SDL_WINDOWEVENT_CLOSE;
        ASSERT_EQ(SDL_PushEvent(&event), 1);
        PushKey(SDL_SCANCODE_W, SDLK_w, KMOD_NONE);
        EXPECT_TRUE(DispatchedKeys(app).empty());
        EXPECT_EQ(closes, 1);
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    }
}

TEST(SdlJoysticksTest, AxesSpanTheRangeAndRestOnTheGameCentre) {
    const JoystickCaps caps{0, 65535, 0, 65535, 0};
    EXPECT_EQ(JoystickAxisPosition(0), (caps.xMin + caps.xMax) / 2 + 1);
    EXPECT_EQ(JoystickAxisPosition(kJoystickDeadZone - 1), 32768u);
    EXPECT_EQ(JoystickAxisPosition(-32768), 0u);
    EXPECT_EQ(JoystickAxisPosition(32767), 65535u);
    EXPECT_LT(JoystickAxisPosition(-kJoystickDeadZone), 32768u);
}

TEST(SdlJoysticksTest, MissingJoystickAnswersFalse) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    SdlJoysticks joysticks;
    if (SDL_NumJoysticks() > 0) GTEST_SKIP() << "a joystick is plugged in";
    JoystickPosition position{};
    JoystickCaps caps{};
    EXPECT_FALSE(joysticks.ReadPosition(0, position));
    EXPECT_FALSE(joysticks.ReadCaps(1, caps));
    EXPECT_FALSE(joysticks.ReadPosition(7, position));
}

}  // namespace
}  // namespace platform
