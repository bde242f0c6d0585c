// Module data can hold anything. Bouts whose robot, motion, weapon and track
// records are filled with random bytes run and draw without a crash (the
// sanitizer build turns any undefined step into a failure) and keep the
// robots inside the arena.
#include "GameFixture.h"
#include "Screens.h"

#include <random>

namespace {

template <class Record>
void Scramble(Record& record, std::mt19937& random) {
    auto* bytes = reinterpret_cast<std::uint8_t*>(&record);
    for (std::size_t k = 0; k < sizeof(Record); ++k) bytes[k] = static_cast<std::uint8_t>(random());
}

// Mostly small numbers, now and then any int: what a broken module could leave.
template <class Record>
void Perturb(Record& record, std::mt19937& random) {
    auto* words = reinterpret_cast<std::int32_t*>(&record);
    for (std::size_t k = 0; k < sizeof(Record) / 4; ++k) {
        const unsigned roll = random() % 16;
        if (roll == 0) words[k] = static_cast<std::int32_t>(random());
        else if (roll == 1) words[k] = static_cast<std::int32_t>(random() % 64) - 32;
    }
}

}  // namespace

TEST_F(GameFixture, BoutsOfRandomModuleDataRunAndDrawWithoutFault) {
    StartGame();
    for (std::uint32_t seed = 1; seed <= 12; ++seed) {
        EnterBout(ModeTwoPlayers, 7, 4);
        ASSERT_FALSE(video->application.Closed());
        std::mt19937 random(seed);
        for (int p = 0; p < 2; ++p) {
            // Half the bouts get noise over real data, half pure noise.
            if (seed % 2) {
                Perturb(form->robotDescs[p], random);
                Perturb(form->motionGraphs[p], random);
                for (int w = 0; w < 4; ++w) {
                    Perturb(form->weapons[p][w], random);
                    Perturb(form->tracks[p][w], random);
                }
            } else {
                Scramble(form->robotDescs[p], random);
                Scramble(form->motionGraphs[p], random);
                for (int w = 0; w < 4; ++w) {
                    Scramble(form->weapons[p][w], random);
                    Scramble(form->tracks[p][w], random);
                }
            }
            Scramble(form->players[p].moveTable, random);
            Scramble(form->players[p].dashTable, random);
        }
        MakeScreen();
        for (int frame = 0; frame < 400 && form->GameStage >= StageIntro && form->GameStage <= StageFightEnd;
             ++frame) {
            for (int p = 0; p < 2; ++p) {
                form->players[p].axisX = static_cast<std::int32_t>(random() % 3);
                form->players[p].axisY = static_cast<std::int32_t>(random() % 3);
                form->players[p].buttonCode = static_cast<std::int32_t>(random() % 11);
            }
            if (form->GameStage == StageFight) form->DF_Think();
            form->Follow(form->FightStage());
            if (video->application.Closed()) break;
            form->AnswerDrawer(Draw_FS(View(), *canvas));
            if (form->GameStage == StageFight)
                for (const PlayerRecord& robot : form->players) {
                    ASSERT_TRUE(robot.posX > 0 && robot.posX < 800) << "seed " << seed;
                    ASSERT_TRUE(robot.posY > 0 && robot.posY < 600) << "seed " << seed;
                }
        }
        ASSERT_FALSE(video->application.Closed()) << "seed " << seed;
        video->display.ReleaseContext();
        form->GameStage = StageModeMenu;
    }
}
