// The real window shows a fight: the game runs a one-player bout of Brakon
// against the computer's Saltrim on the SDL display for a few seconds of
// frames, then saves what the window shows as a PNG: fight_frame <output path>.
// Then one two-player bout per row of kScripted, scripted at the keys, each
// saved beside the first picture as <name>-<suffix>.png: robot 10's beam
// while robot 1 strikes, a rocket salvo with its trail circles, a swarm and a
// cluster of bomblets.
#include "HeadlessGame.h"
#include "PlayerBackends.h"
#include "SdlVideo.h"
#include "PngWriter.h"
#include "ScriptedPlayer.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace {

// Player 1 fires `weapon`, and player 2 `reply` (0: nothing) at the same
// moment; the window is saved once player 1's first volley has flown `age`
// frames with every part showing, and player 2 is in its reply's motion.
struct ScriptedShots {
    std::int32_t p1Robot, p2Robot;
    int weapon, reply, age;
    const char* suffix;
};
constexpr ScriptedShots kScripted[] = {
    {10, 1, 3, 2, 0, "beam"},
    {8, 4, 4, 0, 10, "rockets"},  // fanned out, their trail circles apart
    {2, 4, 3, 0, 40, "swarm"},    // past its first turn onto robot 4
    {3, 4, 4, 0, 20, "cluster"},  // past the rise and the hold: falling
};
constexpr int kIntroFrames = 75;

// Live, visible and its whole body on the picture; a beam is drawn from its
// owner wherever its segments are.
bool Showing(const ShotRecord& shot) {
    const ShotPhase& body = *shot.phase;
    const bool inside = shot.x >= body.halfWidth && shot.x + body.halfWidth < platform::kPictureWidth &&
                        shot.y >= body.halfHeight && shot.y + body.halfHeight < platform::kPictureHeight;
    return shot.live && shot.visible && (inside || body.shotMode == ShotBeam);
}

// The robots' arrows are drawn over the shots: the part to check lies farthest from both.
const ShotRecord& ClearOfRobots(const ShotRecord* volley, int parts, const PlayerRecord (&robots)[2]) {
    auto clearance = [&](const ShotRecord& shot) {
        std::int64_t nearest = INT64_MAX;
        for (const PlayerRecord& robot : robots) {
            const std::int64_t dx = std::int64_t{shot.x} - robot.posX, dy = std::int64_t{shot.y} - robot.posY;
            nearest = std::min(nearest, dx * dx + dy * dy);
        }
        return nearest;
    };
    return *std::max_element(volley, volley + parts,
                             [&](const ShotRecord& a, const ShotRecord& b) { return clearance(a) < clearance(b); });
}

// The real display, one logic step a frame: the scripts here count frames, so
// a frame made late by a busy machine must not make up the steps it missed.
struct OneStepDisplay final : platform::SdlDisplay {
    int StepsDue() override { return 1; }
};

struct Picture {
    std::vector<std::uint8_t> rgb;
    double x, y;  // a point of the game's 800 x 600 screen to check
};

}  // namespace

int main(int argc, char** argv) {
    const std::filesystem::path output = argc > 1 ? argv[1] : "fight.png";
    // Headless sound and music: the picture is what matters here.
    HeadlessGame game(std::filesystem::read_symlink("/proc/self/exe").parent_path().string());
    game.video->application.SetCloseHandler([] {});  // the real window's application closes the game
    auto video = platform::MakeSdlVideo();
    video->Provide(game.devices.services);
    OneStepDisplay display;
    game.devices.services.display = &display;
    TForm1* form = game.form.get();
    video->application.SetCloseHandler([form] { form->FormClose(); });
    form->FormShow();
    if (video->application.Closed()) {
        std::fprintf(stderr, "the start-up failed\n");
        return 1;
    }
    for (auto& route : form->CpuLadder)
        for (std::int32_t& robot : route) robot = 4;
    form->GameMode = ModeOnePlayer;
    form->p1RobotNumber = 7;
    form->GameStage = StageVersus;
    form->ToBefore();
    form->GameStage = StageIntro;
    form->ToFight();

    std::vector<Picture> pictures;  // the one-player bout's, then one per scripted bout
    int width = 0, height = 0, frames = 0, flown = 0;
    std::string failure = "the game closed";
    // Keeps what the window shows, then starts the next scripted bout or ends the run.
    auto capture = [&](double x, double y) {
        Picture picture{{}, x, y};
        if (!display.CaptureWindow(picture.rgb, width, height)) {
            failure = "reading the window back failed";
            return video->application.Close();
        }
        pictures.push_back(std::move(picture));
        if (pictures.size() > std::size(kScripted)) return video->application.Close();
        const ScriptedShots& bout = kScripted[pictures.size() - 1];
        // The keys of both players come from a script from here on.
        game.devices.services.keyboard = &game.video->keyboard;
        frames = flown = 0;
        form->GameMode = ModeTwoPlayers;
        form->p1RobotNumber = bout.p1Robot;
        form->p2RobotNumber = bout.p2Robot;
        form->GameStage = StageVersus;
        form->ToBefore();
        form->GameStage = StageIntro;
        form->ToFight();
    };
    video->application.Run([&](std::uint16_t key) { form->FormKeyDown(key); }, [&] {
        if (pictures.empty()) {
            form->AppIdle();
            if (++frames < kIntroFrames + 90 || video->application.Closed()) return;  // the intro, then a second and a half
            return capture(300.5, 25.5);  // player 1's hit-point bar
        }
        const ScriptedShots& bout = kScripted[pictures.size() - 1];
        // Player 2 walks out from the edge first, so that what falls around it falls on the picture.
        const bool walk = ++frames > kIntroFrames && frames <= kIntroFrames + 30;
        const bool press = frames > kIntroFrames + 30 && frames < kIntroFrames + 34;
        game.video->keyboard.SetKey(kPlayer2Keys.right, walk);
        for (int w = 0; w < 4; ++w) {
            game.video->keyboard.SetKey(kPlayer1Keys.weapons[w], press && w + 1 == bout.weapon);
            game.video->keyboard.SetKey(kPlayer2Keys.weapons[w], press && w + 1 == bout.reply);
        }
        form->AppIdle();
        if (video->application.Closed()) return;
        const ShotRecord* volley = form->shotSlots[bout.weapon - 1][0];
        flown = volley[0].live ? flown + 1 : 0;
        const int parts = PartsOf(*volley[0].weapon);
        const bool shown = flown > bout.age && std::all_of(volley, volley + parts, Showing) &&
                           (bout.reply == 0 || form->players[1].motionNode->pose == bout.reply);
        if (shown) {
            // Player 1's shots paint green: a beam along its line from the robot, any other shot over its body.
            const ShotPhase& phase = *volley[0].phase;
            const PlayerRecord& owner = form->players[0];
            if (phase.shotMode == ShotBeam) {
                capture(owner.posX + phase.extentX / 8.0 + 0.5, owner.posY + phase.extentY / 8.0 + 0.5);
            } else {
                const ShotRecord& clear = ClearOfRobots(volley, parts, form->players);
                capture(clear.x + 0.5, clear.y + 0.5);
            }
        } else if (frames > kIntroFrames + 120) {
            failure = std::string("the ") + bout.suffix + " shots never showed";
            video->application.Close();
        }
    });
    if (pictures.size() <= std::size(kScripted)) {
        std::fprintf(stderr, "%s\n", failure.c_str());
        return 1;
    }

    std::filesystem::create_directories(output.parent_path().empty() ? "." : output.parent_path());
    std::printf("window %d x %d, saved", width, height);
    for (std::size_t k = 0; k < pictures.size(); ++k) {
        std::filesystem::path name = output;
        if (k > 0) name.replace_filename(output.stem().string() + "-" + kScripted[k - 1].suffix + output.extension().string());
        if (!platform::WritePng(name.string(), width, height, pictures[k].rgb.data())) {
            std::fprintf(stderr, "cannot write %s\n", name.c_str());
            return 1;
        }
        std::printf(" %s", name.c_str());
    }
    std::printf("\n");

    // Where the letterboxed picture puts a point of the game's 800 x 600 screen.
    const double scale = std::min(width / 800.0, height / 600.0);
    auto pixel = [&](const Picture& picture) {
        const int x = static_cast<int>((width - 800 * scale) / 2 + picture.x * scale);
        const int y = static_cast<int>((height - 600 * scale) / 2 + picture.y * scale);
        return &picture.rgb[(static_cast<std::size_t>(y) * width + x) * 3];
    };

    // Player 1's full hit-point bar.
    const std::uint8_t* bar = pixel(pictures[0]);
    if (bar[2] < 200 || bar[0] > 60 || bar[1] > 60) {
        std::fprintf(stderr, "the hit-point bar reads (%d, %d, %d), not blue\n", bar[0], bar[1], bar[2]);
        return 1;
    }
    for (std::size_t k = 1; k < pictures.size(); ++k) {
        const std::uint8_t* shot = pixel(pictures[k]);
        if (shot[1] < 200 || shot[0] > 60 || shot[2] > 60) {
            std::fprintf(stderr, "the %s reads (%d, %d, %d), not green\n", kScripted[k - 1].suffix, shot[0], shot[1], shot[2]);
            return 1;
        }
    }
    return 0;
}
