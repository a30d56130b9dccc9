// A name is claimed by one job at a time, whatever happens to the file it names.

#include "platform/FileClaim.h"
#include "support/Files.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace platform;

TEST(FileClaimTest, ANameHasOneHolderUntilItsClaimEndsEvenWhenItsFileIsReplaced)
{
    const testsupport::TTempDir dir;
    std::optional<TFileClaim> first = TFileClaim::Take(dir / "a.kks.sent");
    ASSERT_TRUE(first && first->Held());
    testsupport::WriteFileBytes(dir / "new", { 'x' });
    std::filesystem::rename(dir / "new", dir / "a.kks.sent");
    EXPECT_FALSE(TFileClaim::Take(dir / "a.kks.sent"));
    EXPECT_FALSE(TFileClaim::Take((dir.Path() / "." / "a.kks.sent").string())) << "the same name, otherwise spelt";
    EXPECT_TRUE(TFileClaim::Take(dir / "b.kks.sent")) << "the folder's other names stay free";
    first.reset();
    EXPECT_TRUE(TFileClaim::Take(dir / "a.kks.sent"));
}
