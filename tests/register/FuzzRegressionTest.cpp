// Inputs from fuzzing the document reader, kept under tests/data/fuzz-regressions/
// and named for the path they take: one per way of refusing a damaged file, and any
// input that ever made the reader crash, hang or allocate wildly. Files named
// complete-* must be read; every other one must be refused with an error. None may
// leave a record behind.

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
        const bool complete = entry.path().filename().string().rfind("complete-", 0) == 0;
        TMemoryStream memory(ReadFileBytes(entry.path().string()));
        try {
            TKksDocument document = ReadKksDocument(memory, "fuzz", nullptr);
            EXPECT_TRUE(complete) << "read, although damaged";
            EXPECT_FALSE(document.Incomplete());
        } catch (const std::exception& e) {
            EXPECT_FALSE(complete) << e.what();
        }
        EXPECT_TRUE(LiveObjects() == nullptr || LiveObjects()->Count() == 0);
    }
    EXPECT_GT(inputs, 0);
}

} // namespace
