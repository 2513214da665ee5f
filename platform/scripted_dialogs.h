#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "platform/dialogs.h"

namespace platform {

// Dialog services for tests: every question is recorded and answered from a
// queue, without a window or a modal loop. While an object lives it is the
// program's dialog service; the previous services come back when it dies.
class ScriptedDialogs {
  public:
    struct Message {
        QString text;
        QString caption;
        MessageIcon icon;
        MessageButtons buttons;
    };
    struct FileQuestion {
        bool save;
        FileDialogRequest request;
    };

    ScriptedDialogs();
    ~ScriptedDialogs();
    ScriptedDialogs(const ScriptedDialogs&) = delete;
    ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;

    // Answers in order; when the queue is empty a message box answers Ok, a
    // file dialog and a print dialog are cancelled.
    void QueueMessageAnswer(MessageAnswer answer) { messageAnswers.push_back(answer); }
    void QueueFileAnswer(std::optional<QString> file) { fileAnswers.push_back(std::move(file)); }
    void QueuePrintAnswer(bool accept) { printAnswers.push_back(accept); }

    std::vector<Message> messages;
    std::vector<FileQuestion> fileQuestions;
    int printQuestions = 0;

    std::deque<MessageAnswer> messageAnswers;
    std::deque<std::optional<QString>> fileAnswers;
    std::deque<bool> printAnswers;
    // Called with the printer of an accepted print dialog, where the user
    // would choose it (for example to print into a PDF file).
    std::function<void(QPrinter*)> printerSetup;
    // Called as a message box closes, where the window system hands the
    // activation to a window of its choice (a test may activate one there).
    std::function<void()> messageClosed;

  private:
    std::unique_ptr<MessageBoxService> oldMessages_;
    std::unique_ptr<FileDialogService> oldFiles_;
    std::unique_ptr<PrintDialogService> oldPrint_;
};

}  // namespace platform
