#pragma once

#include <QString>
#include <memory>
#include <optional>

class QFileDialog;
class QWidget;
class QPrinter;

namespace platform {

enum class MessageIcon { None, Information, Warning, Error, Question };
// YesNoDefaultNo asks like YesNo, with No as the button that Enter presses:
// for questions whose Yes destroys something.
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, YesNoDefaultNo };
enum class MessageAnswer { Ok, Cancel, Yes, No };

// Every message box of the program goes through this interface, so that a
// test can answer it without a modal loop.
class MessageBoxService {
  public:
    virtual ~MessageBoxService() = default;
    virtual MessageAnswer Show(QWidget* parent, const QString& text, const QString& caption,
                               MessageIcon icon, MessageButtons buttons) = 0;
};

struct FileDialogRequest {
    QString title;
    QString folder;         // where the dialog opens
    QString filter;         // e.g. "Text files (*.txt)"
    QString defaultSuffix;  // appended when the user types none, without the dot
    QString fileName;       // offered in the name field, e.g. "*.rtf"; may be empty
};

// Sets up a file dialog for `request` as the real dialogs do: it opens in
// the request's folder, or in the nearest folder above it that exists (a
// folder that does not exist yet is never offered as a file name), and
// offers the request's file name.
void PrepareFileDialog(QFileDialog* dialog, const FileDialogRequest& request);

// Open and save dialogs; an empty answer means the user cancelled.
class FileDialogService {
  public:
    virtual ~FileDialogService() = default;
    virtual std::optional<QString> OpenFileName(QWidget* parent,
                                                const FileDialogRequest& request) = 0;
    virtual std::optional<QString> SaveFileName(QWidget* parent,
                                                const FileDialogRequest& request) = 0;
};

// The print dialog: sets up `printer` and returns true, or false when cancelled.
class PrintDialogService {
  public:
    virtual ~PrintDialogService() = default;
    virtual bool ChoosePrinter(QWidget* parent, QPrinter* printer) = 0;
    // The same for a text of which the user may print only the selected part;
    // the printer's print range then says which part was chosen.
    virtual bool ChooseTextPrinter(QWidget* parent, QPrinter* printer, bool hasSelection) {
        (void)hasSelection;
        return ChoosePrinter(parent, printer);
    }
};

// The services in use. Each starts as the real dialog; SetXxx returns the
// service it replaces so that a caller can put it back.
MessageBoxService& MessageBoxes();
FileDialogService& FileDialogs();
PrintDialogService& PrintDialogs();
std::unique_ptr<MessageBoxService> SetMessageBoxService(std::unique_ptr<MessageBoxService> service);
std::unique_ptr<FileDialogService> SetFileDialogService(std::unique_ptr<FileDialogService> service);
std::unique_ptr<PrintDialogService> SetPrintDialogService(
    std::unique_ptr<PrintDialogService> service);

// Shorthand for MessageBoxes().Show.
MessageAnswer ShowMessage(QWidget* parent, const QString& text, const QString& caption,
                          MessageIcon icon, MessageButtons buttons = MessageButtons::Ok);

}  // namespace platform
