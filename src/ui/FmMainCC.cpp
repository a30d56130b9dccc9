#include "ui/FmMainCC.h"

#include "draw/Draw.h"
#include "draw/RuledDraw.h"
#include "platform/ProgramFont.h"
#include "platform/gui/QtAnsi.h"
#include "print/AllocationList.h"
#include "print/DefaultTemplate.h"
#include "print/Letters.h"
#include "register/CCUser.h"
#include "ui/CCAbout.h"
#include "ui/FileErrorText.h"
#include "ui/FormLayout.h"
#include "ui/MailSending.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QKeyEvent>
#include <QMenuBar>
#include <QScrollBar>

#include <algorithm>
#include <stdexcept>

namespace {

/// The window's client area as designed, before any scaling.
constexpr int kClientWidth = 631;
constexpr int kClientHeight = 328;
/// The size of the face the layout was drawn for.
constexpr int kFormFontPoints = 8;

const QString kHelpFileName = QStringLiteral("Holvik.hlp");
constexpr int kHelpContext = 1;

QPushButton* NewButton(QWidget* parent, const char* name, const char* caption)
{
    auto* button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    // Enter presses the focused button, as on the desktop the layout comes from;
    // after an addition the focus sits on the button that starts the next one.
    button->setAutoDefault(true);
    return button;
}

QLabel* NewLabel(QWidget* parent, const char* name, const char* caption)
{
    auto* label = new QLabel(QString::fromLatin1(caption), parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

TListBox* NewListBox(QWidget* parent, const char* name, const char* accessibleName)
{
    auto* list = new TListBox(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setAccessibleName(QString::fromLatin1(accessibleName));
    return list;
}

TCCUser* RecordOf(TObject* object)
{
    return dynamic_cast<TCCUser*>(object);
}

} // namespace

std::string WithFullStop(std::string message)
{
    if (!message.empty() && static_cast<unsigned char>(message.back()) > static_cast<unsigned char>('.'))
        message.push_back('.');
    return message;
}

void TEditPanel::keyPressEvent(QKeyEvent* event)
{
    // Reached when a field of the panel leaves Enter unhandled; a focused button
    // handles Enter itself.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && defaultButton_ != nullptr
        && defaultButton_->isEnabled() && !defaultButton_->isHidden()) {
        defaultButton_->click();
        event->accept();
        return;
    }
    QFrame::keyPressEvent(event);
}

TCrisForm::TCrisForm(TFormServices services, QWidget* parent)
    : QMainWindow(parent)
    , services_(services)
{
    setObjectName(QStringLiteral("CrisForm"));
    // The menus and the message boxes over the window share the client area's face, at
    // the desktop's size.
    setFont(platform::ProgramFont(QFontInfo(font()).pointSize()));
    CreateControls();
    CreateMenus();
    LayOutControls();
    SetTabOrder();
    ConnectHandlers();
    ConnectSessionEnd();
    MarkSaved(); // a fresh start has nothing to lose
    // The window comes back where the user left it; restoreGeometry refuses what it cannot
    // read, and puts a window that would be off every screen back on one.
    restoreGeometry(services_.Settings.WindowGeometry());
    UpdateTitle();
}

TCrisForm::~TCrisForm()
{
    // A sending still under way ends after the letter on its way; the journal has it.
    sending_.reset();
    // The records go before the widgets; nothing may point at them afterwards.
    CurrentParticipant = nullptr;
    Participants.reset();
    GroupNames.reset();
}

void TCrisForm::CreateControls()
{
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    client->setFont(platform::ProgramFont(kFormFontPoints));
    setCentralWidget(client);

    LUserList = NewLabel(client, "LUserList", "List of Participants");
    LTakerList = NewLabel(client, "LTakerList", "Assigned to Participants");
    LGroupList = NewLabel(client, "LGroupList", "List of Groups");
    MGivers = NewListBox(client, "MGivers", "List of Participants");
    MTakers = NewListBox(client, "MTakers", "Assigned to Participants");
    MGroups = NewListBox(client, "MGroups", "List of Groups");
    MGivers->SetSorted(true);
    MTakers->setEnabled(false);

    BNewPart = NewButton(client, "BNewPart", "Add Participant");
    BEditPart = NewButton(client, "BEditPart", "Edit Participant");
    BDelPart = NewButton(client, "BDelPart", "Delete Participant");
    BNewGroup = NewButton(client, "BNewGroup", "Add Group");
    BEditGroup = NewButton(client, "BEditGroup", "Edit Group Name");
    BDelGroup = NewButton(client, "BDelGroup", "Delete Group");
    BGo = NewButton(client, "BGo", "Do Assignment ");
    BEditNotes = NewButton(client, "BEditNotes", "Edit Notes");
    BPrint = NewButton(client, "BPrint", "Print Letters");
    BOneLetter = NewButton(client, "BOneLetter", "Test Letter");
    BTest = NewButton(client, "BTest", "Print List Test");
    LRules = NewLabel(client, "LRules", "");
    LRules->setWordWrap(true);
    LRules->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    MNotes = new TTemplateMemo(client);
    MNotes->setObjectName(QStringLiteral("MNotes"));
    MNotes->setAccessibleName(QStringLiteral("Letter template"));
    MNotes->SetLines(DefaultTemplateLines());
    MNotes->hide();

    PEdit = new TEditPanel(client);
    PEdit->setObjectName(QStringLiteral("PEdit"));
    PEdit->setAccessibleName(QStringLiteral("Edit panel"));
    PEdit->setFrameStyle(QFrame::Panel | QFrame::Raised);
    PEdit->setAutoFillBackground(true);
    LCurGroup = NewLabel(PEdit, "LCurGroup", "LCurGroup");
    LFirstName = NewLabel(PEdit, "LFirstName", "New  Group Name");
    LLastName = NewLabel(PEdit, "LLastName", "Last Name");
    EFirstName = new QLineEdit(QStringLiteral("EFirstName"), PEdit);
    EFirstName->setObjectName(QStringLiteral("EFirstName"));
    ELastName = new QLineEdit(QStringLiteral("ELastName"), PEdit);
    ELastName->setObjectName(QStringLiteral("ELastName"));
    for (QLineEdit* edit : { EFirstName, ELastName })
        edit->setValidator(new TAnsiValidator(edit));
    // The fields are named by the labels above them, which change with the panel's mode.
    LFirstName->setBuddy(EFirstName);
    LLastName->setBuddy(ELastName);
    BOk = NewButton(PEdit, "BOk", "Ok");
    BCancel = NewButton(PEdit, "BCancel", "Cancel");
    BOk->setDefault(true);
    PEdit->SetDefaultButton(BOk);
    PEdit->hide();

    // The memo covers the lists, the editing buttons and the rules but not its own button;
    // the edit panel lies above everything.
    MNotes->raise();
    BEditNotes->raise();
    PEdit->raise();
}

void TCrisForm::CreateMenus()
{
    const auto addMenu = [](QMenuBar* bar, const char* name, const char* caption) {
        QMenu* menu = bar->addMenu(QString::fromLatin1(caption));
        menu->setObjectName(QString::fromLatin1(name));
        menu->setFont(bar->font()); // a pop-up window takes no face from its parent
        return menu;
    };
    const auto addItem = [](QMenu* menu, const char* name, const char* caption) {
        QAction* item = menu->addAction(QString::fromLatin1(caption));
        item->setObjectName(QString::fromLatin1(name));
        return item;
    };

    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    FileOnMenu = addMenu(bar, "FileOnMenu", "File");
    Retrieve1 = addItem(FileOnMenu, "Retrieve1", "Retrieve");
    Save1 = addItem(FileOnMenu, "Save1", "Save");
    SaveAs1 = addItem(FileOnMenu, "SaveAs1", "Save As");
    const auto shortcut = [this](QAction* item, QKeySequence keys) {
        item->setShortcut(keys);
        item->setShortcutContext(Qt::WindowShortcut);
    };
    shortcut(Retrieve1, QKeySequence(Qt::CTRL | Qt::Key_O));
    shortcut(Save1, QKeySequence(Qt::CTRL | Qt::Key_S));
    shortcut(SaveAs1, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));

    Tools1 = addMenu(bar, "Tools1", "&Tools");
    ImportParticipants1 = addItem(Tools1, "ImportParticipants1", "&Import Participants...");
    ExportParticipants1 = addItem(Tools1, "ExportParticipants1", "&Export Participants...");
    DrawRules1 = addItem(Tools1, "DrawRules1", "Draw &Rules...");
    LettersToFolder1 = addItem(Tools1, "LettersToFolder1", "&Letters to Folder...");
    EmailLetters1 = addItem(Tools1, "EmailLetters1", "E&mail Letters...");

    Help1 = addMenu(bar, "Help1", "Help");
    Help2 = addItem(Help1, "Help2", "Help ");
    shortcut(Help2, QKeySequence(Qt::Key_F1));
    About1 = addItem(Help1, "About1", "About");

    // File and Help keep their captions, which carry no mnemonics, so F10 opens the menu
    // bar from the keyboard. The open menu takes the keys itself; the focus stays on the
    // control, so that after the menu (and whatever its command showed) the user goes on
    // from where they were.
    auto* menuKey = new QAction(this);
    menuKey->setObjectName(QStringLiteral("MenuKey"));
    shortcut(menuKey, QKeySequence(Qt::Key_F10));
    connect(menuKey, &QAction::triggered, this, [this] { menuBar()->setActiveAction(FileOnMenu->menuAction()); });
    addAction(menuKey);
    // Closing by the keyboard, as a desktop program does; the File menu keeps its three items.
    auto* closeKey = new QAction(this);
    closeKey->setObjectName(QStringLiteral("CloseKey"));
    shortcut(closeKey, QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(closeKey, &QAction::triggered, this, &QWidget::close);
    addAction(closeKey);
}

void TCrisForm::LayOutControls()
{
    using enum TGrowth;
    std::vector<TPlace> places = {
        { LUserList, 32, 30, 121, 0, Stretch },
        { LTakerList, 200, 30, 121, 0, Stretch },
        { LGroupList, 376, 30, 121, 0, Stretch },
        { MGivers, 32, 48, 121, 97, Stretch },
        { MTakers, 200, 48, 121, 97, Stretch },
        { MGroups, 376, 48, 121, 97, Stretch },
        { BNewPart, 15, 175, 100, 25, Move },
        { BEditPart, 15, 215, 100, 25, Move },
        { BDelPart, 15, 255, 100, 25, Move },
        { BNewGroup, 170, 175, 100, 25, Move },
        { BEditGroup, 170, 215, 100, 25, Move },
        { BDelGroup, 170, 255, 100, 25, Move },
        { BGo, 330, 175, 100, 25, Move },
        { BEditNotes, 328, 255, 100, 26, Move },
        { BPrint, 490, 175, 100, 25, Move },
        { BOneLetter, 490, 215, 100, 25, Move },
        { BTest, 490, 255, 100, 25, Move },
        { LRules, 330, 204, 155, 48, Move },
        { MNotes, 8, 24, 433, 265, Stretch },
        { PEdit, 136, 104, 353, 121, Centre },
        { LCurGroup, 8, 8, 0, 0, Inner },
        { LFirstName, 8, 24, 0, 0, Inner },
        { LLastName, 176, 24, 0, 0, Inner },
        { EFirstName, 8, 48, 137, 21, Inner },
        { ELastName, 176, 48, 161, 21, Inner },
        { BOk, 176, 80, 75, 25, Inner },
        { BCancel, 72, 80, 75, 25, Inner },
    };

    // The pixel places are the layout. Where the font needs more room than the places
    // give a caption, the whole layout grows by one factor rather than cut a caption.
    layout_ = std::make_unique<TFormLayout>(std::move(places), std::vector<QWidget*> { MGivers, MTakers, MGroups },
        QSize(kClientWidth, kClientHeight), centralWidget()->font(), BOk);
    layout_->PlaceInner();
    layout_->Apply(layout_->OpeningSize());
    for (TListBox* list : { MGivers, MTakers, MGroups })
        list->SetItemHeight(layout_->LineHeight());
    // The template wraps where it did when the window opened, however wide the memo grows
    // with the window: its lines as displayed are what is printed and saved.
    MNotes->FitWrapWidthTo(MNotes->size());

    centralWidget()->setMinimumSize(layout_->OpeningSize());
    centralWidget()->installEventFilter(this);
    resize(layout_->OpeningSize() + QSize(0, menuBar()->sizeHint().height()));
    move(86, 92);
}

bool TCrisForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == centralWidget() && event->type() == QEvent::Resize && layout_)
        layout_->Apply(centralWidget()->size());
    return QMainWindow::eventFilter(watched, event);
}

void TCrisForm::SetTabOrder()
{
    const std::vector<QWidget*> order = {
        BNewPart,
        BDelPart,
        BNewGroup,
        BDelGroup,
        BGo,
        BTest,
        BPrint,
        EFirstName,
        ELastName,
        BOk,
        BCancel,
        BEditPart,
        BEditGroup,
        MGivers,
        MTakers,
        MGroups,
        MNotes,
        BEditNotes,
        BOneLetter,
    };
    for (std::size_t i = 0; i + 1 < order.size(); ++i)
        QWidget::setTabOrder(order[i], order[i + 1]);
}

void TCrisForm::Bind(QAbstractButton* button, void (TCrisForm::*handler)(QObject*))
{
    connect(button, &QAbstractButton::clicked, this,
        [this, button, handler] { RunGuarded([&] { (this->*handler)(button); }); });
}

void TCrisForm::Bind(QAction* action, void (TCrisForm::*handler)(QObject*))
{
    connect(
        action, &QAction::triggered, this, [this, action, handler] { RunGuarded([&] { (this->*handler)(action); }); });
}

void TCrisForm::ConnectHandlers()
{
    Bind(BNewPart, &TCrisForm::BNewPartClick);
    Bind(BEditPart, &TCrisForm::BEditPartClick);
    Bind(BDelPart, &TCrisForm::BDelPartClick);
    Bind(BNewGroup, &TCrisForm::BNewGroupClick);
    Bind(BEditGroup, &TCrisForm::BEditGroupClick);
    Bind(BDelGroup, &TCrisForm::BDelGroupClick);
    Bind(BGo, &TCrisForm::BGoClick);
    Bind(BEditNotes, &TCrisForm::BEditNotesClick);
    Bind(BPrint, &TCrisForm::BPrintClick);
    Bind(BOneLetter, &TCrisForm::BPrintClick);
    Bind(BTest, &TCrisForm::BTestClick);
    Bind(BOk, &TCrisForm::BOkClick);
    Bind(BCancel, &TCrisForm::BCancelClick);
    Bind(Retrieve1, &TCrisForm::Retrieve1Click);
    Bind(Save1, &TCrisForm::Save1Click);
    Bind(SaveAs1, &TCrisForm::SaveAs1Click);
    Bind(Help2, &TCrisForm::Help2Click);
    Bind(About1, &TCrisForm::About1Click);
    Bind(ImportParticipants1, &TCrisForm::ImportParticipants1Click);
    Bind(ExportParticipants1, &TCrisForm::ExportParticipants1Click);
    Bind(DrawRules1, &TCrisForm::DrawRules1Click);
    Bind(LettersToFolder1, &TCrisForm::LettersToFolder1Click);
    Bind(EmailLetters1, &TCrisForm::EmailLetters1Click);
    // Typing in the template changes the mark at once, comparing the template alone.
    connect(MNotes, &QTextEdit::textChanged, this, &TCrisForm::UpdateMarkForTemplate);

    connect(MGivers, &TListBox::Click, this, [this] { RunFromList(MGivers, &TCrisForm::MGiversClick); });
    // A double-click changes the register as its button does: not while letters are sent.
    connect(MGivers, &TListBox::DoubleClick, this, [this] {
        if (!Sending())
            RunGuarded([this] { BEditPartClick(MGivers); });
    });
    connect(MGroups, &TListBox::Click, this, [this] { RunFromList(MGroups, &TCrisForm::MGroupsClick); });
    // The takers list cannot be scrolled by itself (it is disabled): wherever the user
    // scrolls the participants, it shows the lines beside them.
    connect(MGivers->verticalScrollBar(), &QScrollBar::valueChanged, MTakers, &TListBox::SetTopIndex);
    connect(MGroups, &TListBox::DoubleClick, this, [this] {
        if (!Sending())
            RunGuarded([this] { BNewPartClick(MGroups); });
    });
}

void TCrisForm::RunFromList(TListBox* list, void (TCrisForm::*handler)(QObject*))
{
    // The user is moving through this list: a rebuild must not take the focus out of it.
    listInUse_ = list;
    RunGuarded([this, list, handler] { (this->*handler)(list); });
    listInUse_ = nullptr;
}

void TCrisForm::RunGuarded(const std::function<void()>& command)
{
    try {
        command();
    } catch (const std::exception& error) {
        services_.Messages.ApplicationError(AnsiToQString(WithFullStop(error.what())));
    } catch (...) {
        services_.Messages.ApplicationError(QStringLiteral("An unexpected error ended the command."));
    }
    // A list's click or key only selects: the register stays as it was, and a user moving
    // through a long list does not pay for comparing it at every key.
    if (listInUse_ == nullptr)
        UpdateTitle();
}

double TCrisForm::LayoutScale() const
{
    return layout_->Scale();
}

std::vector<QPushButton*> TCrisForm::CommandButtons() const
{
    return { BNewPart, BDelPart, BNewGroup, BDelGroup, BGo, BTest, BPrint, BOneLetter, BEditPart, BEditGroup };
}

std::vector<QAction*> TCrisForm::ToolItems() const
{
    return { ImportParticipants1, ExportParticipants1, DrawRules1, LettersToFolder1, EmailLetters1 };
}

std::vector<QAction*> TCrisForm::RegisterChangingItems() const
{
    return { Retrieve1, ImportParticipants1, DrawRules1, EmailLetters1 };
}

std::vector<QPushButton*> TCrisForm::RegisterChangingButtons() const
{
    return { BNewPart, BDelPart, BNewGroup, BDelGroup, BGo, BEditPart, BEditGroup };
}

void TCrisForm::keyPressEvent(QKeyEvent* event)
{
    // Escape reaches the window from whichever control leaves it unhandled.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && !PEdit->isHidden()) {
        BCancel->click();
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void TCrisForm::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        RunGuarded([this] { FormActivate(this); });
}

// ---- Lists ------------------------------------------------------------------------

void TCrisForm::RefreshLists(TAlignedSelection aligned)
{
    std::vector<TListLine> groups;
    if (GroupNames) {
        groups.reserve(static_cast<std::size_t>(GroupNames->Count()));
        for (int i = 0; i < GroupNames->Count(); ++i)
            groups.push_back({ GroupNames->Strings(i), nullptr });
    }
    MGroups->SetLines(std::move(groups));

    std::vector<TListLine> givers;
    if (Participants) {
        givers.reserve(static_cast<std::size_t>(Participants->Count()));
        for (int i = 0; i < Participants->Count(); ++i) {
            if (TCCUser* user = UserAt(*Participants, i))
                givers.push_back({ user->DisplayName(), user });
        }
    }
    MGivers->SetLines(std::move(givers));

    // The takers are listed only when the first listed participant has one.
    std::vector<TListLine> takers;
    const TCCUser* first = MGivers->Count() > 0 ? RecordOf(MGivers->Object(0)) : nullptr;
    if (first != nullptr && first->HasTaker()) {
        takers.reserve(static_cast<std::size_t>(MGivers->Count()));
        for (int i = 0; i < MGivers->Count(); ++i) {
            const TCCUser* giver = RecordOf(MGivers->Object(i));
            if (giver != nullptr && giver->HasTaker())
                takers.push_back({ giver->Taker->DisplayName(), giver->Taker });
            else
                takers.push_back({ kNotAssignedLine, nullptr });
        }
    }
    MTakers->SetLines(std::move(takers));

    if (MTakers->Sorted()) {
        const int selected = CurrentParticipant != nullptr ? MGivers->IndexOfObject(CurrentParticipant) : -1;
        MGivers->SetItemIndex(selected);
        if (selected > 3)
            MGivers->SetTopIndex(selected - 4); // the selection shows as the fifth visible line
    } else {
        const int current = CurrentParticipant != nullptr ? MGivers->IndexOfObject(CurrentParticipant) : -1;
        // The participant the user just picked stays picked, so that Edit and Delete act
        // on that one; any other rebuild points at the first participant left without a
        // taker, or, with none left, keeps the participant last clicked or added.
        int line = MTakers->IndexOf(kNotAssignedLine);
        if ((aligned == TAlignedSelection::PickedParticipant && current >= 0) || line < 0)
            line = current;
        MTakers->SetItemIndex(line);
        MGivers->SetItemIndex(line);
    }
    // In either mode the takers list shows the lines beside the participants on screen.
    MTakers->SetTopIndex(MGivers->TopIndex());

    EnableCommands(true);
    PEdit->hide();
}

void TCrisForm::EnableCommands(bool enable)
{
    for (QPushButton* button : CommandButtons())
        button->setEnabled(enable);
    for (QAction* item : ToolItems())
        item->setEnabled(enable);
    commandsEnabled_ = enable;
    if (Sending())
        ApplySendingLock();
    // Under the shown memo a focused button would take Enter unseen; a user moving
    // through a list goes on from where the rebuild left the list.
    if (!enable || !MNotes->isHidden() || listInUse_ != nullptr)
        return;
    if (EditMode == emNewGroup)
        BNewGroup->setFocus(Qt::OtherFocusReason);
    else if (EditMode == emNewParticipant)
        BNewPart->setFocus(Qt::OtherFocusReason);
}

void TCrisForm::ClearDocument()
{
    GroupNames.reset();
    CurrentParticipant = nullptr;
    Participants.reset(); // the list destroys its records in list order
    RefreshLists();
}

void TCrisForm::ClearAssignments()
{
    ::ClearAssignments(Participants.get());
}

// ---- Draw ---------------------------------------------------------------------------

void TCrisForm::BGoClick(QObject*)
{
    if (rules_.Any()) {
        DrawWithChosenRules();
        return;
    }
    MTakers->SetSorted(true);
    const TDrawOutcome outcome = DrawAssignments(Participants.get(), services_.Random);
    if (outcome == TDrawOutcome::Failed)
        MTakers->SetSorted(false);
    RefreshLists();
    // Raised after the rebuild, so the partial result is on screen behind the message.
    if (outcome == TDrawOutcome::Failed)
        throw std::runtime_error(kDrawFailedMessage);
}

void TCrisForm::DrawWithChosenRules()
{
    // Everything is read before the register is touched; a file that cannot be read, a
    // pairs file naming somebody unknown and a draw that cannot keep the rules all leave
    // the register, its draw and the lists as they were.
    const TStringList nobody;
    std::vector<TLineProblem> problems;
    const TDrawRequest request = MakeDrawRequest(rules_, Participants ? *Participants : nobody, problems);
    if (!problems.empty()) {
        services_.Messages.ListMessage(TMessageKind::Error,
            QStringLiteral("No draw: these lines of the pairs file name somebody who is not in the register."),
            LineProblemReport(rules_.excludeFile, problems), false);
        return;
    }
    const TRuledDrawResult result = DrawWithRules(Participants.get(), GroupNames.get(), request, services_.Random);
    if (result.outcome == TDrawOutcome::Failed) {
        ErrorBox(result.reason);
        return;
    }
    MTakers->SetSorted(true);
    RefreshLists();
}

// ---- Printing -------------------------------------------------------------------------

std::unique_ptr<TCanvas> TCrisForm::OpenPrintJob()
{
    // A job printed to a file must not land on the open document.
    return WithFileErrors(CurrentFileName, [this] { return services_.Printer.OpenJob(CurrentFileName); });
}

void TCrisForm::BPrintClick(QObject* sender)
{
    if (!Participants || Participants->Count() < 2)
        return;
    const std::unique_ptr<TCanvas> canvas = OpenPrintJob();
    if (!canvas)
        return;
    PrintLetters(*canvas, Participants.get(), TemplateLines(), sender == BOneLetter, services_.Random);
}

void TCrisForm::BTestClick(QObject*)
{
    if (!Participants || Participants->Count() < 2)
        return;
    const std::unique_ptr<TCanvas> canvas = OpenPrintJob();
    if (!canvas)
        return;
    std::vector<const TCCUser*> rows;
    rows.reserve(static_cast<std::size_t>(MGivers->Count()));
    for (int i = 0; i < MGivers->Count(); ++i)
        if (const TCCUser* user = RecordOf(MGivers->Object(i)))
            rows.push_back(user);
    PrintAllocationList(*canvas, Participants.get(), GroupNames.get(), rows);
}

// ---- Template, help, About ----------------------------------------------------------

std::vector<std::string> TCrisForm::TemplateLines() const
{
    return MNotes->DisplayedLines();
}

void TCrisForm::SetTemplateLines(const std::vector<std::string>& lines)
{
    MNotes->SetLines(lines);
}

void TCrisForm::BEditNotesClick(QObject*)
{
    const bool shown = MNotes->isHidden();
    MNotes->setVisible(shown);
    // The memo covers the list labels; hidden with it, the last letter of the groups
    // label does not peek out beside the memo, and a screen reader does not offer them.
    for (QLabel* label : { LUserList, LTakerList, LGroupList, LRules })
        label->setVisible(!shown);
    SetCoveredControlsInert(shown);
    BEditNotes->setText(shown ? QStringLiteral("End Edit") : QStringLiteral("Edit Notes"));
    // The commands stay disabled while the edit panel is open, whatever the memo does.
    EnableCommands(!shown && PEdit->isHidden());
}

std::vector<QWidget*> TCrisForm::CoveredByMemo() const
{
    return { MGivers, MTakers, MGroups, BNewPart, BEditPart, BDelPart, BNewGroup, BEditGroup, BDelGroup, BGo };
}

void TCrisForm::SetCoveredControlsInert(bool inert)
{
    // A control under the memo must not act unseen, whether or not it is enabled (a
    // Retrieve enables the commands while the memo stays shown): it leaves the tab
    // chain, and a click on it (or on the groups list's edge beside the memo) passes
    // through it.
    if (inert && coveredFocus_.empty()) {
        QWidget* focused = focusWidget();
        for (QWidget* covered : CoveredByMemo()) {
            coveredFocus_.emplace_back(covered, covered->focusPolicy());
            covered->setFocusPolicy(Qt::NoFocus);
            covered->setAttribute(Qt::WA_TransparentForMouseEvents, true);
            if (covered == focused || covered->isAncestorOf(focused))
                BEditNotes->setFocus(Qt::OtherFocusReason);
        }
    } else if (!inert) {
        for (const auto& [covered, policy] : coveredFocus_) {
            covered->setFocusPolicy(policy);
            covered->setAttribute(Qt::WA_TransparentForMouseEvents, false);
        }
        coveredFocus_.clear();
    }
}

void TCrisForm::FormActivate(QObject*)
{
    // Beside the program first (a build folder, a program copied with its help), then the
    // installed data folder, reached from the program so that a moved install still works.
    const QDir programFolder(QCoreApplication::applicationDirPath());
    helpFiles_ = { programFolder.filePath(kHelpFileName),
        QDir::cleanPath(programFolder.filePath(QStringLiteral(TINSELWICK_DATA_FROM_PROGRAM "/") + kHelpFileName)) };
}

void TCrisForm::Help2Click(QObject*)
{
    // F1 can come before the window was ever active (from the About box).
    if (helpFiles_.isEmpty())
        FormActivate(this);
    services_.Help.ShowTopic(helpFiles_, kHelpContext);
}

void TCrisForm::About1Click(QObject*)
{
    if (about_ == nullptr)
        return;
    about_->show();
    about_->raise();
    about_->activateWindow();
}

// ---- Messages ---------------------------------------------------------------------

void TCrisForm::ErrorBox(const std::string& text)
{
    services_.Messages.ErrorBox(AnsiToQString(text));
}
