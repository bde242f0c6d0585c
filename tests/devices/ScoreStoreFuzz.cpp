// libFuzzer target: any score file, any run, and any one file step failing
// from any call on: the reads stay inside their buffers, and afterwards the
// file holds either what it held or the new table with the old bytes past it,
// short files and long ones (written in place) alike, and nothing stays open
// or locked.
#include "HeadlessFiles.h"
#include "ScoreStore.h"

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Step = platform::HeadlessFiles::Step;
constexpr Step kSteps[] = {Step::Open,  Step::Create, Step::Lock,         Step::Read,    Step::Write,  Step::SetSize,
                           Step::Flush, Step::Close,  Step::CreateBeside, Step::Replace, Step::Remove};
constexpr std::size_t kSettings = 12;  // step, successes, flags, size limit, kills (4), robot (4)

void Require(bool holds) {
    if (!holds) __builtin_trap();
}

std::int32_t Word(const std::uint8_t* bytes) {
    std::uint32_t word = 0;
    for (int i = 3; i >= 0; --i) word = word << 8 | bytes[i];
    return static_cast<std::int32_t>(word);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    if (size < kSettings) return 0;
    const std::string path = "/here/score.drr";
    std::vector<std::uint8_t> held(bytes + kSettings, bytes + size);
    const bool exists = bytes[2] & 1;
    const bool limited = bytes[2] & 2;
    if (bytes[2] & 4) held.resize(kScoreCopyLimit + 1 + held.size() % 64);  // too long to copy
    const bool inPlace = exists && held.size() > kScoreCopyLimit;
    const std::size_t stepIndex = bytes[0] % (std::size(kSteps) + 1);  // the last: nothing fails
    const bool refused = stepIndex < std::size(kSteps);

    platform::HeadlessFiles files;
    if (exists) files.files[path] = held;
    ScoreImage entries = {};
    ReadStoredEntries(files, path, entries);
    Require(files.OpenFiles() == 0);

    files.files.erase(path);
    if (exists) files.files[path] = held;
    if (refused) files.Refuse(kSteps[stepIndex], bytes[1] % 8);
    if (limited) files.sizeLimit = bytes[3];
    ScoreImage table;
    const bool stored = StoreSurvivalRun(files, path, table, Word(bytes + 4), Word(bytes + 8));

    Require(files.OpenFiles() == 0 && files.HeldLocks() == 0);
    Require(stored || refused || limited);
    // No copy left behind, unless it could not be removed.
    Require(files.files.size() <= 1 || (refused && kSteps[stepIndex] == Step::Remove));
    const auto found = files.files.find(path);
    std::vector<std::uint8_t> expected(64);
    for (std::size_t i = 0; i < 64; ++i)
        expected[i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(table[i / 4]) >> (8 * (i % 4)));
    if (exists && held.size() > 64) expected.insert(expected.end(), held.begin() + 64, held.end());
    if (stored) {
        Require(found != files.files.end() && found->second == expected);
    } else {
        // A write in place, of a long file or with no room for a copy, that
        // stops part way is undone; only one whose undoing failed too leaves
        // the file changed.
        const bool noCopy = refused && (kSteps[stepIndex] == Step::Create || kSteps[stepIndex] == Step::CreateBeside);
        const bool same = exists ? found != files.files.end() && found->second == held
                                 : found == files.files.end() || found->second.empty();
        const bool undoFailed = refused && (kSteps[stepIndex] == Step::Write || kSteps[stepIndex] == Step::SetSize);
        Require(same || ((inPlace || noCopy) && undoFailed));
    }
    return 0;
}
