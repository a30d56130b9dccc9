#pragma once
// A main window on the offscreen platform with scripted services, and the few
// steps the tests repeat: adding groups and participants as a user would.

#include "FakeServices.h"

#include "register/CCUser.h"
#include "ui/FmMainCC.h"
#include "ui/ProgramSettings.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

using Strings = std::vector<std::string>;
using Messages = std::vector<TShownMessage>;

class FormTest : public ::testing::Test {
protected:
    TFakeMessages messages;
    TFakeFileDialogs fileDialogs;
    TFakeHelp help;
    TFakePrinter printer;
    TFakeKeyring keyring;
    TMailTransportMaker mailTransport = CurlMailTransport;
    TRandomSource random { 12345 };
    QTemporaryDir settingsDir; ///< each test's own settings file
    std::unique_ptr<TProgramSettings> settings;
    std::unique_ptr<TCrisForm> form;

    QString SettingsFile() const { return settingsDir.filePath(QStringLiteral("tinselwick.conf")); }

    void SetUp() override
    {
        if (!settings)
            settings = std::make_unique<TProgramSettings>(SettingsFile());
        form = std::make_unique<TCrisForm>(
            TFormServices { messages, fileDialogs, help, printer, random, *settings, keyring, mailTransport });
        // Shown, so that the lists have their real size for scrolling; offscreen nothing appears.
        form->show();
        QApplication::processEvents();
    }

    void TearDown() override { form.reset(); }

    /// Replaces the window by a new one, as a fresh start of the program would.
    void NewForm()
    {
        form.reset();
        messages.Take();
        fileDialogs.openRequests.clear();
        fileDialogs.saveRequests.clear();
        FormTest::SetUp();
    }

    /// A fresh start of the program: the settings read again from their file.
    void Restart()
    {
        form.reset();
        settings = std::make_unique<TProgramSettings>(SettingsFile());
        NewForm();
    }

    TCrisForm& F() { return *form; }

    /// Opens "Add Group", types `name` and presses Ok.
    void AddGroup(const QString& name)
    {
        F().BNewGroup->click();
        F().EFirstName->setText(name);
        F().BOk->click();
    }

    /// Adds a participant to the current group through the panel.
    void AddParticipant(const QString& first, const QString& last) { Apply(F().BNewPart, first, last); }

    /// Opens the panel with `command`, fills both fields and presses Ok.
    void Apply(QPushButton* command, const QString& first, const QString& last = QString())
    {
        command->click();
        F().EFirstName->setText(first);
        F().ELastName->setText(last);
        F().BOk->click();
    }

    /// One group per entry, each with `size` participants "<GROUP><i> X".
    void Register(const std::vector<std::pair<const char*, int>>& groupsAndSizes)
    {
        for (const auto& [group, size] : groupsAndSizes) {
            AddGroup(QString::fromLatin1(group));
            for (int i = 0; i < size; ++i)
                AddParticipant(QStringLiteral("%1%2").arg(QString::fromLatin1(group)).arg(i), QStringLiteral("x"));
        }
    }

    /// Clicks line `index` of a list box as the user would (selection, then the click handler).
    void ClickLine(TListBox* list, int index)
    {
        list->SetItemIndex(index);
        emit list->Click();
    }

    /// The texts of a list box's lines.
    static std::vector<std::string> Lines(const TListBox* list)
    {
        std::vector<std::string> lines;
        for (int i = 0; i < list->Count(); ++i)
            lines.push_back(list->Line(i));
        return lines;
    }

    std::vector<std::string> GroupEntries() const
    {
        return form->GroupNames ? form->GroupNames->Texts() : std::vector<std::string> {};
    }
    std::vector<std::string> ParticipantKeys() const
    {
        return form->Participants ? form->Participants->Texts() : std::vector<std::string> {};
    }
    TCCUser* Participant(const std::string& key) const
    {
        const int index = form->Participants ? form->Participants->IndexOf(key) : -1;
        return index >= 0 ? UserAt(*form->Participants, index) : nullptr;
    }

    bool PanelOpen() const { return !form->PEdit->isHidden(); }
    /// The title as the desktop shows it (the unsaved mark put in).
    QString ShownTitle() const { return form->windowHandle()->title(); }
    /// True when every command button and Tools item is enabled (or, with false, every one disabled).
    bool CommandsAre(bool enabled) const
    {
        for (QPushButton* button : form->CommandButtons())
            if (button->isEnabled() != enabled)
                return false;
        for (QAction* item : form->ToolItems())
            if (item->isEnabled() != enabled)
                return false;
        return true;
    }
    bool CommandsEnabled() const { return CommandsAre(true); }

    /// Links giver -> taker by key, as a draw would.
    void Link(const std::string& giver, const std::string& taker) { Participant(giver)->SetTaker(Participant(taker)); }
};

/// Types `text` into `widget` one key at a time, any character (QTest's own typing knows only ASCII).
inline void Type(QWidget* widget, const QString& text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

inline TShownMessage ErrorBox(const char* text)
{
    return { TShownMessage::ErrorBox, QString::fromLatin1(text) };
}
inline TShownMessage Raised(const char* text)
{
    return { TShownMessage::ApplicationError, QString::fromLatin1(text) };
}
