#include "platform/dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

namespace platform {

namespace {

class WidgetMessageBoxes : public MessageBoxService {
  public:
    MessageAnswer Show(QWidget* parent, const QString& text, const QString& caption,
                       MessageIcon icon, MessageButtons buttons) override {
        QMessageBox box(parent);
        box.setWindowTitle(caption);
        box.setText(text);
        box.setTextFormat(Qt::PlainText);
        switch (icon) {
            case MessageIcon::None:
                box.setIcon(QMessageBox::NoIcon);
                break;
            case MessageIcon::Information:
                box.setIcon(QMessageBox::Information);
                break;
            case MessageIcon::Warning:
                box.setIcon(QMessageBox::Warning);
                break;
            case MessageIcon::Error:
                box.setIcon(QMessageBox::Critical);
                break;
            case MessageIcon::Question:
                box.setIcon(QMessageBox::Question);
                break;
        }
        switch (buttons) {
            case MessageButtons::Ok:
                box.setStandardButtons(QMessageBox::Ok);
                break;
            case MessageButtons::OkCancel:
                box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
                break;
            case MessageButtons::YesNo:
                box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
                break;
            case MessageButtons::YesNoCancel:
                box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
                break;
            case MessageButtons::YesNoDefaultNo:
                box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
                box.setDefaultButton(QMessageBox::No);
                break;
        }
        switch (box.exec()) {
            case QMessageBox::Ok:
                return MessageAnswer::Ok;
            case QMessageBox::Yes:
                return MessageAnswer::Yes;
            case QMessageBox::No:
                return MessageAnswer::No;
            default:
                return MessageAnswer::Cancel;
        }
    }
};

class WidgetFileDialogs : public FileDialogService {
  public:
    std::optional<QString> OpenFileName(QWidget* parent, const FileDialogRequest& r) override {
        return Run(parent, r, QFileDialog::AcceptOpen);
    }
    std::optional<QString> SaveFileName(QWidget* parent, const FileDialogRequest& r) override {
        return Run(parent, r, QFileDialog::AcceptSave);
    }

  private:
    static std::optional<QString> Run(QWidget* parent, const FileDialogRequest& r,
                                      QFileDialog::AcceptMode mode) {
        QFileDialog dialog(parent, r.title);
        dialog.setAcceptMode(mode);
        dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                           : QFileDialog::AnyFile);
        PrepareFileDialog(&dialog, r);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return dialog.selectedFiles().first();
    }
};

class WidgetPrintDialogs : public PrintDialogService {
  public:
    bool ChoosePrinter(QWidget* parent, QPrinter* printer) override {
        QPrintDialog dialog(printer, parent);
        return dialog.exec() == QDialog::Accepted;
    }
    bool ChooseTextPrinter(QWidget* parent, QPrinter* printer, bool hasSelection) override {
        QPrintDialog dialog(printer, parent);
        dialog.setOption(QAbstractPrintDialog::PrintSelection, hasSelection);
        return dialog.exec() == QDialog::Accepted;
    }
};

// `folder`, or the nearest folder above it that exists, or the home folder.
QString ExistingFolder(const QString& folder) {
    if (folder.isEmpty()) return QDir::homePath();
    QString path = QDir::cleanPath(QDir(folder).absolutePath());
    while (!QFileInfo(path).isDir()) {
        const QString parent = QFileInfo(path).path();
        if (parent == path) return QDir::homePath();
        path = parent;
    }
    return path;
}

std::unique_ptr<MessageBoxService>& MessageBoxSlot() {
    static std::unique_ptr<MessageBoxService> slot = std::make_unique<WidgetMessageBoxes>();
    return slot;
}
std::unique_ptr<FileDialogService>& FileDialogSlot() {
    static std::unique_ptr<FileDialogService> slot = std::make_unique<WidgetFileDialogs>();
    return slot;
}
std::unique_ptr<PrintDialogService>& PrintDialogSlot() {
    static std::unique_ptr<PrintDialogService> slot = std::make_unique<WidgetPrintDialogs>();
    return slot;
}

template <class T>
std::unique_ptr<T> Swap(std::unique_ptr<T>& slot, std::unique_ptr<T> service) {
    std::unique_ptr<T> old = std::move(slot);
    slot = std::move(service);
    return old;
}

}  // namespace

MessageBoxService& MessageBoxes() {
    return *MessageBoxSlot();
}
FileDialogService& FileDialogs() {
    return *FileDialogSlot();
}
PrintDialogService& PrintDialogs() {
    return *PrintDialogSlot();
}

std::unique_ptr<MessageBoxService> SetMessageBoxService(std::unique_ptr<MessageBoxService> s) {
    return Swap(MessageBoxSlot(), std::move(s));
}
std::unique_ptr<FileDialogService> SetFileDialogService(std::unique_ptr<FileDialogService> s) {
    return Swap(FileDialogSlot(), std::move(s));
}
std::unique_ptr<PrintDialogService> SetPrintDialogService(std::unique_ptr<PrintDialogService> s) {
    return Swap(PrintDialogSlot(), std::move(s));
}

MessageAnswer ShowMessage(QWidget* parent, const QString& text, const QString& caption,
                          MessageIcon icon, MessageButtons buttons) {
    return MessageBoxes().Show(parent, text, caption, icon, buttons);
}

void PrepareFileDialog(QFileDialog* dialog, const FileDialogRequest& request) {
    if (!request.filter.isEmpty()) dialog->setNameFilter(request.filter);
    if (!request.defaultSuffix.isEmpty()) dialog->setDefaultSuffix(request.defaultSuffix);
    // The folder and the name are set apart: given together as one path, a
    // folder that does not exist would be offered as the name to save under.
    dialog->setDirectory(ExistingFolder(request.folder));
    dialog->selectFile(request.fileName);
}

}  // namespace platform
