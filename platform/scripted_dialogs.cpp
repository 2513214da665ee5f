#include "platform/scripted_dialogs.h"

namespace platform {

namespace {

class ScriptedMessageBoxes : public MessageBoxService {
  public:
    explicit ScriptedMessageBoxes(ScriptedDialogs* owner) : owner_(owner) {}
    MessageAnswer Show(QWidget*, const QString& text, const QString& caption, MessageIcon icon,
                       MessageButtons buttons) override {
        owner_->messages.push_back({text, caption, icon, buttons});
        if (owner_->messageClosed) owner_->messageClosed();
        if (owner_->messageAnswers.empty()) return MessageAnswer::Ok;
        MessageAnswer answer = owner_->messageAnswers.front();
        owner_->messageAnswers.pop_front();
        return answer;
    }

  private:
    ScriptedDialogs* owner_;
};

class ScriptedFileDialogs : public FileDialogService {
  public:
    explicit ScriptedFileDialogs(ScriptedDialogs* owner) : owner_(owner) {}
    std::optional<QString> OpenFileName(QWidget*, const FileDialogRequest& r) override {
        return Answer(false, r);
    }
    std::optional<QString> SaveFileName(QWidget*, const FileDialogRequest& r) override {
        return Answer(true, r);
    }

  private:
    std::optional<QString> Answer(bool save, const FileDialogRequest& r) {
        owner_->fileQuestions.push_back({save, r});
        if (owner_->fileAnswers.empty()) return std::nullopt;
        std::optional<QString> answer = owner_->fileAnswers.front();
        owner_->fileAnswers.pop_front();
        return answer;
    }
    ScriptedDialogs* owner_;
};

class ScriptedPrintDialogs : public PrintDialogService {
  public:
    explicit ScriptedPrintDialogs(ScriptedDialogs* owner) : owner_(owner) {}
    bool ChoosePrinter(QWidget*, QPrinter* printer) override {
        ++owner_->printQuestions;
        if (owner_->printAnswers.empty()) return false;
        bool answer = owner_->printAnswers.front();
        owner_->printAnswers.pop_front();
        if (answer && owner_->printerSetup) owner_->printerSetup(printer);
        return answer;
    }

  private:
    ScriptedDialogs* owner_;
};

}  // namespace

ScriptedDialogs::ScriptedDialogs()
    : oldMessages_(SetMessageBoxService(std::make_unique<ScriptedMessageBoxes>(this))),
      oldFiles_(SetFileDialogService(std::make_unique<ScriptedFileDialogs>(this))),
      oldPrint_(SetPrintDialogService(std::make_unique<ScriptedPrintDialogs>(this))) {}

ScriptedDialogs::~ScriptedDialogs() {
    SetMessageBoxService(std::move(oldMessages_));
    SetFileDialogService(std::move(oldFiles_));
    SetPrintDialogService(std::move(oldPrint_));
}

}  // namespace platform
