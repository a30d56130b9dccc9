#pragma once
// What the File menu's tests share: a scratch folder, the window's whole state as
// one comparable value, and the three commands run as the user runs them (menu item,
// scripted warning and dialog answers).

#include "FormFixture.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

struct TParticipantState {
    std::string key, first, last;
    int group = 0;
    std::string taker, giver; // keys, empty when none
    bool ownedByForm = true; // the record's Owner is the window and its OwnerList the list
    bool operator==(const TParticipantState&) const = default;
};

/// Everything a file command may change, and the screen it shows.
struct TFormState {
    bool hasGroups = false, hasParticipants = false;
    std::vector<std::string> groups;
    std::vector<TParticipantState> participants;
    std::vector<std::string> templateLines;
    std::string fileName;
    bool takersSorted = false;
    std::vector<std::string> giverLines, takerLines, groupLines;
    bool operator==(const TFormState&) const = default;
};

inline void PrintTo(const TFormState& s, std::ostream* out)
{
    *out << "{groups" << (s.hasGroups ? "" : "(absent)") << ":";
    for (const auto& g : s.groups)
        *out << " '" << g << "'";
    *out << "; participants" << (s.hasParticipants ? "" : "(absent)") << ":";
    for (const auto& p : s.participants)
        *out << " " << p.key << "[" << p.group << "]->" << p.taker << "<-" << p.giver
             << (p.ownedByForm ? "" : "!owner");
    *out << "; template " << s.templateLines.size() << " lines; file '" << s.fileName << "'; "
         << (s.takersSorted ? "sorted" : "aligned") << "; " << s.giverLines.size() << "/" << s.takerLines.size() << "/"
         << s.groupLines.size() << " lines shown}";
}

class FileCommandsTest : public FormTest {
protected:
    QTemporaryDir dir;

    void SetUp() override
    {
        FormTest::SetUp();
        ASSERT_TRUE(dir.isValid());
    }

    QString Path(const QString& name) const { return dir.filePath(name); }
    static std::string Native(const QString& path) { return QFile::encodeName(path).toStdString(); }

    static QByteArray Bytes(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static void WriteBytes(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }
    /// The folder's entries, hidden ones included (a temporary file would be hidden).
    QStringList Entries() const
    {
        return QDir(dir.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    }

    TFormState State() const
    {
        TFormState s;
        const TCrisForm& f = *form;
        s.hasGroups = f.GroupNames != nullptr;
        s.hasParticipants = f.Participants != nullptr;
        if (f.GroupNames)
            s.groups = f.GroupNames->Texts();
        if (f.Participants) {
            for (int i = 0; i < f.Participants->Count(); ++i) {
                const TCCUser* u = UserAt(*f.Participants, i);
                TParticipantState p;
                p.key = f.Participants->Strings(i);
                if (u != nullptr) {
                    p.first = u->FirstName;
                    p.last = u->LastName;
                    p.group = u->GroupNo;
                    p.taker = u->Taker ? u->Taker->FullName() : "";
                    p.giver = u->Giver ? u->Giver->FullName() : "";
                    p.ownedByForm = u->Owner == static_cast<const TObject*>(&f) && u->OwnerList == f.Participants.get();
                }
                s.participants.push_back(p);
            }
        }
        s.templateLines = f.TemplateLines();
        s.fileName = f.CurrentFileName;
        s.takersSorted = f.TakersSorted();
        s.giverLines = Lines(f.MGivers);
        s.takerLines = Lines(f.MTakers);
        s.groupLines = Lines(f.MGroups);
        return s;
    }

    /// File > Retrieve, answering the warning (if asked) and the open dialog.
    void Retrieve(const std::optional<QString>& chosen, bool answerOk = true)
    {
        messages.warningAnswers = { answerOk };
        fileDialogs.answers = { chosen };
        F().Retrieve1->trigger();
        messages.warningAnswers.clear();
        fileDialogs.answers.clear();
    }
    /// File > Save As; `replace` answers the question before another existing file is replaced.
    void SaveAs(const std::optional<QString>& chosen, bool replace = true)
    {
        fileDialogs.answers = { chosen };
        messages.warningAnswers = { replace };
        F().SaveAs1->trigger();
        fileDialogs.answers.clear();
        messages.warningAnswers.clear();
    }
    void Save(const std::optional<QString>& chosenIfAsked = std::nullopt)
    {
        fileDialogs.answers = { chosenIfAsked };
        F().Save1->trigger();
        fileDialogs.answers.clear();
    }

    /// The raised errors shown since the last call, warnings and error boxes left out.
    std::vector<QString> TakeRaised()
    {
        std::vector<QString> raised;
        for (const TShownMessage& m : messages.Take())
            if (m.kind == TShownMessage::ApplicationError)
                raised.push_back(m.text);
        return raised;
    }

    /// One group with one participant, then both deleted: both lists exist and are empty.
    void AddAndDeleteEverything()
    {
        AddGroup("SMITH");
        AddParticipant("ANN", "SMITH");
        ClickLine(F().MGivers, 0);
        F().BDelPart->click();
        ClickLine(F().MGroups, 0);
        F().BDelGroup->click();
    }

    /// Two groups with two participants each and a third group, MIKE; template of two lines.
    void BuildSmallRegister()
    {
        AddGroup("SMITH");
        AddParticipant("ANN", "SMITH");
        AddParticipant("BOB", "SMITH");
        AddGroup("JONES");
        AddParticipant("CAROL", "JONES");
        AddParticipant("DAVE", "JONES");
        AddGroup("MIKE");
        AddParticipant("MIKE", "ROSS");
        F().SetTemplateLines({ "Dear [M],", "you give to [G]." });
        messages.Take();
    }
};
