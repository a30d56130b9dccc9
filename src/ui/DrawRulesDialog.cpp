#include "ui/DrawRulesDialog.h"

#include "platform/gui/QtAnsi.h"
#include "register/CCUser.h"
#include "register/KksDocument.h"
#include "ui/DialogControls.h"
#include "ui/FileErrorText.h"
#include "ui/FileFilters.h"
#include "ui/UserFiles.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGridLayout>

#include <exception>

namespace {

/// An error raised while reading `file`, as the user reads it.
QString ReadError(const QString& file, const std::exception& error)
{
    return QFileInfo(file).fileName() + QStringLiteral(" cannot be read: ")
        + AnsiToQString(WithDisplayablePath(error.what(), NativeFullPath(file)));
}

} // namespace

TDrawRulesDialog::TDrawRulesDialog(const TChosenRules& rules, const TStringList* participants,
    IMessageService& messages, TOpenFile openFile, QWidget* parent)
    : QDialog(parent)
    , participants_(participants)
    , messages_(messages)
    , openFile_(std::move(openFile))
    , avoidFile_(rules.avoidFile)
{
    setObjectName(QStringLiteral("DrawRulesDialog"));
    setWindowTitle(QStringLiteral("Draw Rules"));
    if (parent != nullptr)
        setFont(parent->font());
    CreateControls();
    CAvoid->setChecked(!avoidFile_.isEmpty());
    ShowFile(LAvoidFile, avoidFile_, QStringLiteral("No document chosen"));
    ShowFile(LExcludeFile, QString(), QStringLiteral("No file chosen"));
    // The pairs file is read again: its names are looked up in the register as it is now.
    if (!rules.excludeFile.isEmpty())
        TakeExclude(rules.excludeFile, false);
    COneCircle->setChecked(rules.oneCircle);
}

void TDrawRulesDialog::CreateControls()
{
    CAvoid = NewCheckBox(this, "CAvoid", "Avoid last year's pairs",
        "Nobody gives to the taker they had in last year's document (people new this year are free).");
    LAvoidFile = new QLabel(this);
    LAvoidFile->setObjectName(QStringLiteral("LAvoidFile"));
    BAvoidFile = NewChooseButton(this, "BAvoidFile", "Choose last year's document");
    CExclude = NewCheckBox(this, "CExclude", "Pairs that must not be drawn",
        "A CSV file with the header giver,taker: each listed giver never gives to that taker.");
    LExcludeFile = new QLabel(this);
    LExcludeFile->setObjectName(QStringLiteral("LExcludeFile"));
    LExcludeFile->setWordWrap(true);
    BExcludeFile = NewChooseButton(this, "BExcludeFile", "Choose the file of pairs");
    MExcludedPairs = new QListWidget(this);
    MExcludedPairs->setObjectName(QStringLiteral("MExcludedPairs"));
    MExcludedPairs->setAccessibleName(QStringLiteral("Pairs that must not be drawn"));
    MExcludedPairs->setSelectionMode(QAbstractItemView::NoSelection);
    COneCircle = NewCheckBox(this, "COneCircle", "One circle",
        "The takers form one circle through everybody: A gives to B, B to C, ..., the last to A.");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("BRulesOk"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("BRulesCancel"));

    auto* layout = new QGridLayout(this);
    const int indent = CAvoid->sizeHint().height();
    layout->addWidget(CAvoid, 0, 0, 1, 3);
    layout->addWidget(LAvoidFile, 1, 1);
    layout->addWidget(BAvoidFile, 1, 2);
    layout->addWidget(CExclude, 2, 0, 1, 3);
    layout->addWidget(LExcludeFile, 3, 1);
    layout->addWidget(BExcludeFile, 3, 2, Qt::AlignTop);
    layout->addWidget(MExcludedPairs, 4, 1, 1, 2);
    layout->addWidget(COneCircle, 5, 0, 1, 3);
    layout->addWidget(buttons, 6, 0, 1, 3);
    layout->setColumnMinimumWidth(0, indent);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(4, 1);
    const QFontMetrics metrics(font());
    MExcludedPairs->setMinimumSize(metrics.averageCharWidth() * 50, metrics.lineSpacing() * 6);

    // A rule switched on without its file asks for the file; without one it stays off.
    connect(CAvoid, &QCheckBox::clicked, this, [this](bool on) {
        if (on && avoidFile_.isEmpty())
            ChooseAvoid();
        CAvoid->setChecked(on && !avoidFile_.isEmpty());
    });
    connect(CExclude, &QCheckBox::clicked, this, [this](bool on) {
        if (on && excludeFile_.isEmpty())
            ChooseExclude();
        CExclude->setChecked(on && !excludeFile_.isEmpty());
    });
    connect(BAvoidFile, &QPushButton::clicked, this, &TDrawRulesDialog::ChooseAvoid);
    connect(BExcludeFile, &QPushButton::clicked, this, &TDrawRulesDialog::ChooseExclude);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

TChosenRules TDrawRulesDialog::Rules() const
{
    return { CAvoid->isChecked() ? avoidFile_ : QString(), CExclude->isChecked() ? excludeFile_ : QString(),
        COneCircle->isChecked() };
}

void TDrawRulesDialog::ShowFile(QLabel* label, const QString& file, const QString& missing)
{
    label->setText(file.isEmpty() ? missing : QFileInfo(file).fileName());
    label->setToolTip(file);
}

void TDrawRulesDialog::ChooseAvoid()
{
    const std::optional<QString> file = openFile_({ kDocumentExtension, kDocumentOpenFilter, QString(), avoidFile_ });
    if (!file)
        return;
    try {
        if (ReadKksDocument(NativeFullPath(*file), nullptr).Incomplete()) {
            messages_.ErrorBox(
                QFileInfo(*file).fileName() + QStringLiteral(" holds no participants: no pairs to avoid"));
            return;
        }
    } catch (const std::exception& error) {
        messages_.ErrorBox(ReadError(*file, error));
        return;
    }
    avoidFile_ = *file;
    ShowFile(LAvoidFile, avoidFile_, QString());
    CAvoid->setChecked(true);
}

void TDrawRulesDialog::ChooseExclude()
{
    const std::optional<QString> file = openFile_({ kCsvExtension, kCsvFilter, QString(), excludeFile_ });
    if (file)
        TakeExclude(*file, true);
}

void TDrawRulesDialog::TakeExclude(const QString& file, bool tell)
{
    const TStringList nobody;
    std::vector<TLineProblem> problems;
    TExcludedPairs pairs;
    QStringList report;
    try {
        pairs = ReadPairsFile(file, participants_ != nullptr ? *participants_ : nobody, problems);
        report = LineProblemReport(file, problems);
    } catch (const std::exception& error) {
        if (tell) {
            messages_.ErrorBox(ReadError(file, error));
            return;
        }
        report << ReadError(file, error);
    }
    MExcludedPairs->clear();
    if (!report.isEmpty()) {
        excludeFile_.clear();
        pairs_.clear();
        CExclude->setChecked(false);
        LExcludeFile->setText(QFileInfo(file).fileName()
            + QStringLiteral(" is not taken: mend the lines below, then choose the file again."));
        LExcludeFile->setToolTip(file);
        MExcludedPairs->addItems(report);
        return;
    }
    excludeFile_ = file;
    pairs_ = std::move(pairs);
    ShowFile(LExcludeFile, excludeFile_, QString());
    CExclude->setChecked(true);
    QStringList lines;
    lines.reserve(static_cast<qsizetype>(pairs_.size()));
    for (const auto& [giver, taker] : pairs_)
        lines << AnsiToQString(giver->SpacedName()) + QStringLiteral(" \u2192 ") + AnsiToQString(taker->SpacedName());
    MExcludedPairs->addItems(lines);
}
