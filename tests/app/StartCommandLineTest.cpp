// The desktop program's command line, read before any window exists.

#include "app/StartCommandLine.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <vector>

namespace {

struct TStartCase {
    std::vector<const char*> arguments; // after the program's name
    std::optional<int> exitCode;
    const char* textHas;
    const char* document;
};

TEST(StartCommandLine, OpensAtMostOneDocumentAndAnswersHelpVersionAndMistakes)
{
    const TStartCase cases[] = {
        { {}, std::nullopt, "", "" },
        { { "office.kks" }, std::nullopt, "", "office.kks" },
        { { "--", "-odd name.kks" }, std::nullopt, "", "-odd name.kks" },
        { { "--version" }, 0, "tinselwick 1.", "" },
        { { "-h" }, 0, "[FILE.kks]", "" },
        { { "a.kks", "b.kks" }, 2, "Only one document", "" },
        { { "-platform", "offscreen" }, 2, "Try 'tinselwick --help'", "" },
    };
    for (const TStartCase& c : cases) {
        std::vector<const char*> argv { "tinselwick" };
        argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
        const TStartRequest request = ParseStartCommandLine(static_cast<int>(argv.size()), argv.data());
        const QString label = QStringList(argv.begin(), argv.end()).join(QLatin1Char(' '));
        EXPECT_EQ(c.exitCode, request.exitCode) << qPrintable(label);
        EXPECT_TRUE(request.text.contains(QString::fromUtf8(c.textHas))) << qPrintable(request.text);
        EXPECT_EQ(QString::fromUtf8(c.document), request.document) << qPrintable(label);
    }
}

} // namespace
