// Every input that ever made the document reader crash, hang or allocate wildly,
// kept under tests/data/fuzz-regressions/ and named for what it exercised. Each must
// now be read or refused with an error, and leave no record behind.

#include "register/KksDocument.h"
#include "register/RegisterTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace testsupport;

namespace {

using FuzzRegressions = TRegisterTest;

TEST_F(FuzzRegressions, EveryKeptInputIsReadOrRefused)
{
    const std::filesystem::path folder = TestDataPath("fuzz-regressions");
    ASSERT_TRUE(std::filesystem::is_directory(folder));
    int inputs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() != ".kks")
            continue;
        SCOPED_TRACE(entry.path().filename().string());
        ++inputs;
        TMemoryStream memory(ReadFileBytes(entry.path().string()));
        try {
            TKksDocument document = ReadKksDocument(memory, "fuzz", nullptr);
        } catch (const std::exception&) {
            // Refused: fine. A crash or a leak is what this test is for.
        }
        EXPECT_TRUE(LiveObjects() == nullptr || LiveObjects()->Count() == 0);
    }
    EXPECT_GT(inputs, 0);
}

} // namespace
