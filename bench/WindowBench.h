#pragma once
// The main window filled with a register of n participants, its questions answered
// by one quiet stand-in, for the benchmarks of the window's commands.

#include "BenchSupport.h"
#include "draw/Random.h"
#include "platform/gui/FileDialogService.h"
#include "platform/gui/HelpViewer.h"
#include "platform/gui/Keyring.h"
#include "platform/gui/MessageService.h"
#include "print/PrinterService.h"
#include "ui/FmMainCC.h"
#include "ui/ProgramSettings.h"

#include <optional>

namespace bench {

/// Counts errors; answers the warning with `answerOk`, both file dialogs with `file`
/// (no file: cancelled) and the question before closing with Cancel; keeps no secret.
class TBenchServices : public IMessageService,
                       public IFileDialogService,
                       public IHelpViewer,
                       public IPrinterService,
                       public IKeyring {
public:
    bool answerOk = false;
    std::optional<QString> file;
    int errors = 0;

    void ErrorBox(const QString&) override { ++errors; }
    void ApplicationError(const QString&) override { ++errors; }
    bool WarningOkCancel(const QString&) override { return answerOk; }
    bool ListMessage(TMessageKind, const QString&, const QStringList&, bool) override { return answerOk; }
    TSaveAnswer QuestionSaveDiscardCancel(const QString&) override { return TSaveAnswer::Cancel; }
    bool QuestionYesNo(const QString&) override { return false; }
    std::optional<QString> GetOpenFileName(const TFileDialogRequest&) override { return file; }
    std::optional<QString> GetSaveFileName(const TFileDialogRequest&) override { return file; }
    std::optional<QString> GetFolderName(const QString&) override { return file; }
    void ShowTopic(const QStringList&, int) override { }
    std::unique_ptr<TCanvas> OpenJob(const std::string&) override { return nullptr; }
    std::optional<QString> Read(const QString&) override { return std::nullopt; }
    void Write(const QString&, const QString&) override { }
    void Forget(const QString&) override { }
};

struct TBenchWindow {
    TBenchServices services;
    TRandomSource random;
    TProgramSettings settings { QString() }; // kept in memory: a benchmark writes no settings
    std::unique_ptr<TCrisForm> form;

    /// The window with 100 groups and n participants named by `names(i)`, in group `group(i)`.
    TBenchWindow(std::uint32_t seed, int n, const std::function<std::pair<std::string, std::string>(int)>& names,
        const std::function<int(int)>& group)
        : random(seed)
        , form(std::make_unique<TCrisForm>(
              TFormServices { services, services, services, services, random, settings, services }))
    {
        form->GroupNames = MakeGroups(100);
        form->Participants = MakeParticipants(n, names, group, form.get());
    }
};

} // namespace bench
