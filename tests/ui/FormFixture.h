#pragma once
// A main window on the offscreen platform with scripted services, and the few
// steps the tests repeat: adding groups and participants as a user would.

#include "FakeServices.h"

#include "register/CCUser.h"
#include "ui/FmMainCC.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

class FormTest : public ::testing::Test {
protected:
    TFakeMessages messages;
    TFakeFileDialogs fileDialogs;
    TFakeHelp help;
    TFakePrinter printer;
    TRandomSource random { 12345 };
    std::unique_ptr<TCrisForm> form;

    void SetUp() override
    {
        form = std::make_unique<TCrisForm>(TFormServices { messages, fileDialogs, help, printer, random });
        // Shown, so that the lists have their real size for scrolling; offscreen nothing appears.
        form->show();
        QApplication::processEvents();
    }

    void TearDown() override { form.reset(); }

    TCrisForm& F() { return *form; }

    /// Opens "Add Group", types `name` and presses Ok.
    void AddGroup(const QString& name)
    {
        F().BNewGroup->click();
        F().EFirstName->setText(name);
        F().BOk->click();
    }

    /// Makes `group` current by clicking its line, then adds a participant through the panel.
    void AddParticipant(const QString& first, const QString& last)
    {
        F().BNewPart->click();
        F().EFirstName->setText(first);
        F().ELastName->setText(last);
        F().BOk->click();
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
    bool CommandsEnabled() const
    {
        for (QPushButton* button : form->CommandButtons())
            if (!button->isEnabled())
                return false;
        return true;
    }
    bool CommandsDisabled() const
    {
        for (QPushButton* button : form->CommandButtons())
            if (button->isEnabled())
                return false;
        return true;
    }

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
