#pragma once
// Scripted stand-ins for the platform services: they record what the window asks
// and answer what the test has set up, so no dialog ever blocks.

#include "platform/gui/FileDialogService.h"
#include "platform/gui/HelpViewer.h"
#include "platform/gui/Keyring.h"
#include "platform/gui/MessageService.h"
#include "print/PrinterService.h"

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

struct TShownMessage {
    enum Kind { ErrorBox, ApplicationError, Warning, Question, Listed } kind;
    QString text;
    QStringList lines = {}; ///< a listed message's lines
    TMessageKind icon = TMessageKind::Error; ///< a listed message's icon
    bool asks = false; ///< a listed message with OK and Cancel
    bool operator==(const TShownMessage&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const TShownMessage& m)
{
    static const char* kinds[] = { "ErrorBox", "ApplicationError", "Warning", "Question", "Listed" };
    return out << kinds[m.kind] << "(\"" << m.text.toStdString() << "\" " << m.lines.join(" | ").toStdString() << ")";
}

inline TShownMessage Listed(TMessageKind icon, const QString& text, const QStringList& lines, bool asks = false)
{
    return { TShownMessage::Listed, text, lines, icon, asks };
}

class TFakeMessages : public IMessageService {
public:
    std::vector<TShownMessage> shown;
    std::deque<bool> warningAnswers;
    std::deque<TSaveAnswer> questionAnswers; ///< Cancel once they run out
    std::deque<bool> listAnswers; ///< for listed messages that ask; Cancel once they run out
    std::deque<bool> yesNoAnswers; ///< No once they run out
    /// Runs while a message is "on screen", to look at the window behind it.
    std::function<void(const TShownMessage&)> whileShown;

    void ErrorBox(const QString& text) override { Record({ TShownMessage::ErrorBox, text }); }
    void ApplicationError(const QString& text) override { Record({ TShownMessage::ApplicationError, text }); }
    bool WarningOkCancel(const QString& text) override
    {
        Record({ TShownMessage::Warning, text });
        if (warningAnswers.empty())
            return false;
        const bool answer = warningAnswers.front();
        warningAnswers.pop_front();
        return answer;
    }

    TSaveAnswer QuestionSaveDiscardCancel(const QString& text) override
    {
        Record({ TShownMessage::Question, text });
        const TSaveAnswer answer = questionAnswers.empty() ? TSaveAnswer::Cancel : questionAnswers.front();
        if (!questionAnswers.empty())
            questionAnswers.pop_front();
        return answer;
    }

    bool QuestionYesNo(const QString& text) override
    {
        Record({ TShownMessage::Question, text });
        const bool answer = !yesNoAnswers.empty() && yesNoAnswers.front();
        if (!yesNoAnswers.empty())
            yesNoAnswers.pop_front();
        return answer;
    }

    bool ListMessage(TMessageKind icon, const QString& text, const QStringList& lines, bool askOkCancel) override
    {
        Record(Listed(icon, text, lines, askOkCancel));
        const bool answer = !askOkCancel || (!listAnswers.empty() && listAnswers.front());
        if (askOkCancel && !listAnswers.empty())
            listAnswers.pop_front();
        return answer;
    }

    std::vector<TShownMessage> Take() { return std::exchange(shown, {}); }

private:
    void Record(const TShownMessage& message)
    {
        shown.push_back(message);
        if (whileShown)
            whileShown(message);
    }
};

class TFakeFileDialogs : public IFileDialogService {
public:
    std::vector<TFileDialogRequest> openRequests;
    std::vector<TFileDialogRequest> saveRequests;
    std::vector<QString> startedIn; ///< the folder every dialog (open, save, folder) started in
    std::deque<std::optional<QString>> answers; ///< for every kind of dialog, in turn

    std::optional<QString> GetOpenFileName(const TFileDialogRequest& request) override
    {
        openRequests.push_back(request);
        startedIn.push_back(request.InitialFolder);
        return Next();
    }
    std::optional<QString> GetSaveFileName(const TFileDialogRequest& request) override
    {
        saveRequests.push_back(request);
        startedIn.push_back(request.InitialFolder);
        return Next();
    }
    std::optional<QString> GetFolderName(const QString& initialFolder) override
    {
        startedIn.push_back(initialFolder);
        return Next();
    }

private:
    std::optional<QString> Next()
    {
        if (answers.empty())
            return std::nullopt;
        const bool chosen = answers.front().has_value();
        const QString path = answers.front().value_or(QString());
        answers.pop_front();
        if (!chosen)
            return std::nullopt;
        return path;
    }
};

/// A keyring in memory; `failing` makes it answer as a desktop without one.
class TFakeKeyring : public IKeyring {
public:
    std::map<QString, QString> kept;
    bool failing = false;
    std::optional<QString> Read(const QString& key) override
    {
        const auto found = kept.find(key);
        return failing || found == kept.end() ? std::nullopt : std::optional(found->second);
    }
    void Write(const QString& key, const QString& secret) override
    {
        if (failing)
            throw std::runtime_error("The desktop keyring could not keep the password: no keyring answers.");
        kept[key] = secret;
    }
    void Forget(const QString& key) override { kept.erase(key); }
};

class TFakeHelp : public IHelpViewer {
public:
    std::vector<std::pair<QStringList, int>> shown;
    void ShowTopic(const QStringList& helpFiles, int context) override { shown.emplace_back(helpFiles, context); }
};

/// A printer whose jobs write every call into one log that outlives the job.
class TFakePrinter : public IPrinterService {
public:
    enum class TAnswer { Job, Cancel, Fail };
    TAnswer answer = TAnswer::Job;
    int jobsOpened = 0;
    std::string documentFile; ///< what the last job was told it must not replace
    std::vector<std::string> log; ///< "begin", "page", "end", "text:<TEXT>"

    std::unique_ptr<TCanvas> OpenJob(const std::string& document) override
    {
        ++jobsOpened;
        documentFile = document;
        if (answer == TAnswer::Fail)
            throw EPrintError("No printer available");
        if (answer == TAnswer::Cancel)
            return nullptr;
        return std::make_unique<TLogCanvas>(log);
    }

    std::vector<std::string> Texts() const
    {
        std::vector<std::string> texts;
        for (const std::string& entry : log)
            if (entry.rfind("text:", 0) == 0)
                texts.push_back(entry.substr(5));
        return texts;
    }

private:
    class TLogCanvas : public TCanvas {
    public:
        explicit TLogCanvas(std::vector<std::string>& log)
            : log_(log)
        {
        }
        void BeginDocument() override { log_.push_back("begin"); }
        void NewPage() override { log_.push_back("page"); }
        void EndDocument() override { log_.push_back("end"); }
        TRect ClipRect() const override { return { 0, 0, 4960, 7015 }; }
        int FontSize() const override { return size_; }
        void SetFontSize(int points) override { size_ = points; }
        int TextWidth(std::string_view text) override { return size_ * static_cast<int>(text.size()) / 2; }
        int TextHeight(std::string_view) override { return 2 * size_; }
        void TextOut(int, int, std::string_view text) override { log_.push_back("text:" + std::string(text)); }
        bool IsPrinterCanvas() const override { return true; }

    private:
        std::vector<std::string>& log_;
        int size_ = 10;
    };
};
