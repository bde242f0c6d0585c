#include "RobotModule.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// The block layout the texts keep: reference count, then length, 8 bytes before the characters.
const std::int32_t* HeaderOf(TextHandle text) {
    return reinterpret_cast<const std::int32_t*>(TextChars(text) - 8);
}

}  // namespace

TEST(Texts, KeepTheirCountAndLengthBeforeTheCharacters) {
    const TextHandle text = TextCreate("HITTED3");
    EXPECT_STREQ(TextChars(text), "HITTED3");
    EXPECT_EQ(HeaderOf(text)[0], 1);
    EXPECT_EQ(HeaderOf(text)[1], 7);
    EXPECT_EQ(TextLength(text), 7);
    TextRelease(text);
}

TEST(Texts, EmptyAndDeadHandlesReadAsEmpty) {
    EXPECT_STREQ(TextChars(kEmptyText), "");
    EXPECT_EQ(TextLength(kEmptyText), 0);
    const TextHandle text = TextCreate("BEAM");
    TextRelease(text);
    EXPECT_STREQ(TextChars(text), "");
    EXPECT_EQ(TextRefCount(text), 0);
    TextRelease(text);                     // a second release is harmless
    TextRelease(0xA5A5A5A5u);              // so is one of a handle never made
    EXPECT_STREQ(TextChars(0xA5A5A5A5u), "");
}

TEST(Texts, AssignmentMovesOneReferenceFromTheOldTextToTheNew) {
    const std::uint32_t before = TextLiveCount();
    TextHandle field = kEmptyText;

    const TextHandle first = TextCreate("ATTACK1");
    TextAssign(&field, first);
    EXPECT_EQ(TextRefCount(first), 2);
    TextRelease(first);
    EXPECT_EQ(TextRefCount(first), 1);

    const TextHandle second = TextCreate("ATTACK2");
    TextAssign(&field, second);
    TextRelease(second);
    EXPECT_EQ(field, second);
    EXPECT_EQ(TextRefCount(first), 0) << "the old text's last reference went with the field";
    EXPECT_EQ(TextRefCount(second), 1);

    TextAssign(&field, field);  // a field given its own text keeps it
    EXPECT_EQ(TextRefCount(second), 1);
    EXPECT_STREQ(TextChars(field), "ATTACK2");

    TextRelease(field);
    EXPECT_EQ(TextLiveCount(), before);
}

TEST(Texts, ConstantsAreNeverFreed) {
    const TextHandle constant = TextCreateConstant("HITTED4");
    TextHandle field = kEmptyText;
    TextAssign(&field, constant);
    TextRelease(constant);
    TextRelease(field);
    EXPECT_STREQ(TextChars(constant), "HITTED4");
    EXPECT_LT(TextRefCount(constant), 0);
}

TEST(Texts, AFreedSlotReusedGetsANewHandle) {
    const TextHandle old = TextCreate("S_BEAT");
    TextRelease(old);
    const TextHandle fresh = TextCreate("S_START");
    EXPECT_NE(fresh, old);
    EXPECT_STREQ(TextChars(old), "");
    EXPECT_STREQ(TextChars(fresh), "S_START");
    TextRelease(fresh);
}
