#include "register/CCUser.h"
#include "register/RegisterTestSupport.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

using CCUserOnFile = TRegisterTest;

Bytes RecordBytes(TCCUser& user)
{
    TMemoryStream memory;
    user.WriteToStream(memory);
    return memory.Bytes();
}

TEST_F(CCUserOnFile, RecordLayoutWithAndWithoutTaker)
{
    TRegister r;
    TCCUser* giver = r.Add("ANN", "LEE", 2);
    const Bytes alone = RecordBytes(*giver);
    ASSERT_EQ(74u, alone.size());
    EXPECT_EQ((Bytes { 0x9C, 0x53, 3, 'A', 'N', 'N' }), Bytes(alone.begin(), alone.begin() + 6));
    EXPECT_EQ((Bytes { 2, 0, 0, 0, 0x70, 0x2B, 0, 0, 0, 0 }), Bytes(alone.begin() + 64, alone.end()));

    giver->SetTaker(r.Add("ANN", "SMITH", 0));
    const Bytes taken = RecordBytes(*giver);
    EXPECT_EQ((Bytes { 0x70, 0x2B, 8, 0, 0, 0, 'A', 'N', 'N', 'S', 'M', 'I', 'T', 'H' }),
        Bytes(taken.begin() + 68, taken.end()));
}

TEST_F(CCUserOnFile, NameBuffersCarryNoTraceOfAnEarlierLongerName)
{
    TRegister r;
    TCCUser* user = r.Add("BARTHOLOMEW", "X", 0);
    user->SetNames("BO", "X");
    const Bytes bytes = RecordBytes(*user);
    EXPECT_EQ(2, bytes[2]);
    EXPECT_TRUE(std::all_of(bytes.begin() + 5, bytes.begin() + 33, [](std::uint8_t b) { return b == 0; }));
}

TEST_F(CCUserOnFile, StoredLengthAboveThirtyIsCut)
{
    TRegister r;
    TCCUser* user = r.Add(std::string(30, 'F'), "L", 0);
    Bytes bytes = RecordBytes(*user);
    bytes[2] = 200; // damaged length byte
    TMemoryStream memory(bytes);
    TCCUser back(nullptr, nullptr);
    back.ReadFromStream(memory);
    EXPECT_EQ(std::string(30, 'F'), back.FirstName);
    EXPECT_EQ("L", back.LastName);
    EXPECT_EQ(74u, memory.Position());
}

TEST_F(CCUserOnFile, LinkingTakersAfterLoad)
{
    TRegister r;
    TCCUser* a = r.Add("A", "ONE", 0);
    TCCUser* b = r.Add("B", "TWO", 1);
    TCCUser* c = r.Add("C", "THREE", 1);
    TCCUser* d = r.Add("JOS\xE9", "M\xFCLLER", 2); // as a name was cleaned before: the same person
    a->TakerNameOnFile = "btwo"; // letter case differs
    b->TakerNameOnFile = "CTHREE";
    c->TakerNameOnFile = "JOS\xC9M\xDCLLER";
    d->TakerNameOnFile = "NOBODY"; // names no participant
    LinkTakersAfterLoad(r.participants);
    EXPECT_EQ(b, a->Taker);
    EXPECT_EQ(a, b->Giver);
    EXPECT_EQ(c, b->Taker);
    EXPECT_EQ(b, c->Giver);
    EXPECT_EQ(d, c->Taker);
    EXPECT_FALSE(d->HasTaker());
    EXPECT_EQ(nullptr, a->Giver);
    for (TCCUser* u : { a, b, c, d })
        EXPECT_TRUE(u->TakerNameOnFile.empty());
}

} // namespace
