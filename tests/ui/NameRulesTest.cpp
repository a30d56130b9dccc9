// The small rules under the commands: the error display's full stop, and the
// single-byte text border of the widgets.

#include "platform/gui/FileDialogService.h"
#include "platform/gui/QtAnsi.h"
#include "platform/gui/QtFileDialogService.h"
#include "ui/FmMainCC.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTimer>

#include <utility>

#include <gtest/gtest.h>

namespace {

TEST(WithFullStop, AddsAFullStopOnlyAfterACharacterSortingAfterIt)
{
    const std::pair<const char*, const char*> cases[] = { { "One Group is too Big", "One Group is too Big." },
        { "Change Item Not Found", "Change Item Not Found." }, { "ends in 7", "ends in 7." }, { "done.", "done." },
        { "what!", "what!" }, { "(note)", "(note)" }, { "trailing blank ", "trailing blank " }, { "a-", "a-" },
        { "path/", "path/." }, { "caf\xe9", "caf\xe9." }, { "", "" } };
    for (const auto& [message, shown] : cases)
        EXPECT_EQ(shown, WithFullStop(message)) << message;
}

TEST(AnsiText, EveryByteRoundTripsAndAgreesWithTheSystemConverter)
{
    QStringDecoder system("windows-1252");
    ASSERT_TRUE(system.isValid());
    for (int b = 0; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        const QString ours = AnsiToQString(byte);
        ASSERT_EQ(1, ours.size()) << b;
        const QString theirs = system.decode(QByteArrayView(byte.data(), 1));
        if (theirs.size() == 1 && theirs.at(0) != QChar::ReplacementCharacter) {
            EXPECT_EQ(theirs.at(0).unicode(), ours.at(0).unicode()) << "byte " << b;
        }
        EXPECT_EQ(byte, QStringToAnsi(ours).value_or("?")) << "byte " << b;
    }
}

TEST(AnsiText, RefusesCharactersOutsideTheCodePageInsteadOfReplacingThem)
{
    EXPECT_EQ("\x80 \xe9\x8a", QStringToAnsi(QStringLiteral(u"\u20ac \u00e9\u0160")).value_or("?"));
    EXPECT_FALSE(QStringToAnsi(QStringLiteral(u"\u0141ukasz")).has_value()); // Ł
    EXPECT_FALSE(QStringToAnsi(QStringLiteral(u"snow \u2603")).has_value());
    EXPECT_FALSE(QStringToAnsi(QString::fromUtf8("gift \xF0\x9F\x8E\x81")).has_value()); // beyond the BMP
    EXPECT_THROW(QStringToAnsiChecked(QStringLiteral(u"\u0141")), std::invalid_argument);

    TAnsiValidator validator;
    int position = 0;
    QString good = QStringLiteral(u"Ren\u00e9e");
    QString bad = QStringLiteral(u"Ren\u0119e");
    EXPECT_EQ(QValidator::Acceptable, validator.validate(good, position));
    EXPECT_EQ(QValidator::Invalid, validator.validate(bad, position));
}

TEST(AnsiText, TheNameFieldsRefuseControlCharactersTheCodePagesGapsIncluded)
{
    // A line break pasted after a name is trimmed by the name rules, so it may come in.
    const std::pair<const char16_t*, QValidator::State> cases[] = { { u"Ann\n", QValidator::Acceptable },
        { u" \tAnn Lee ", QValidator::Acceptable }, { u"An\u0081n", QValidator::Invalid },
        { u"Ann\u008d", QValidator::Invalid }, { u"\u008f", QValidator::Invalid }, { u"\u0090A", QValidator::Invalid },
        { u"A\u009d", QValidator::Invalid }, { u"Ann\tLee", QValidator::Invalid },
        { u"A\u007fB", QValidator::Invalid } };
    TAnsiValidator validator;
    for (const auto& [text, state] : cases) {
        QString input = QString::fromUtf16(text);
        int position = 0;
        EXPECT_EQ(state, validator.validate(input, position)) << input.toStdString();
    }
}

TEST(QtNameFilters, EveryDescriptionKeepsItsTextAndGetsItsPattern)
{
    // The two document filters, blanks and all; "*.*" has to match names without a
    // dot too, as "All Files" promises.
    const std::pair<const char*, const char*> cases[] = {
        { "Tinselwick Files   *.KKS|*.KKS|All Files    *.*|*.*",
            "Tinselwick Files   *.KKS (*.KKS);;All Files    *.* (*)" },
        { "Tinselwick Files  *.KKS|*.KKS|All Files|  *.*", "Tinselwick Files  *.KKS (*.KKS);;All Files (*)" },
        { "Everything", "Everything (*)" },
        { "Text|*.txt|Backups|*.~*", "Text (*.txt);;Backups (*.~*)" },
    };
    for (const auto& [filter, expected] : cases)
        EXPECT_EQ(QString::fromLatin1(expected), QtNameFilters(QString::fromLatin1(filter))) << filter;
}

TEST(QtFileDialogService, TheSaveDialogAsksBeforeReplacingAFileOnlyWhenTheRequestSaysSo)
{
    QTemporaryDir dir;
    QFile(dir.filePath(QStringLiteral("letters.pdf"))).open(QIODevice::WriteOnly);
    for (const bool confirm : { true, false }) {
        // The user types the existing file's name and answers No if asked; then cancels.
        int questions = 0, accepts = 0;
        QTimer user;
        QObject::connect(&user, &QTimer::timeout, [&] {
            if (auto* question = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                ++questions;
                question->button(QMessageBox::No)->click();
            } else if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("letters.pdf"));
                // Queued, so that this timer goes on firing while a question is open.
                QMetaObject::invokeMethod(dialog, accepts++ == 0 ? "accept" : "reject", Qt::QueuedConnection);
            }
        });
        user.start(20);
        const std::optional<QString> chosen = TQtFileDialogService().GetSaveFileName(
            { QStringLiteral("pdf"), QStringLiteral("PDF|*.pdf"), dir.path(), QString(), confirm });
        EXPECT_EQ(confirm ? 1 : 0, questions);
        EXPECT_EQ(!confirm, chosen.has_value());
    }
}

} // namespace
