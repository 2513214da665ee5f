// The real file dialog as the program sets it up: where it opens and what it
// offers as the name to save under.

#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>

#include "platform/dialogs.h"
#include "platform/widget_test_main.h"

namespace platform {
namespace {

TEST(FileDialog, OpensInAnExistingFolderAndOffersTheRequestedName) {
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const QString home = QDir(temp.path()).filePath("home");
    ASSERT_TRUE(QDir().mkpath(home));
    struct Case {
        const char* what;
        QString folder;
        QString fileName;
        QString expectedFolder;
    };
    const Case cases[] = {
        {"documents folder exists", home, "*.rtf", home},
        // A documents folder that was never made: the name field used to
        // read "Documents", and Save wrote a file of that name.
        {"documents folder missing", QDir(home).filePath("Documents"), "*.emf", home},
        {"two levels missing", QDir(home).filePath("a/b"), "test.dat", home},
        {"no name asked for", QDir(home).filePath("models"), "", home},
    };
    for (const Case& c : cases) {
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        PrepareFileDialog(&dialog, {"Name of protocol file", c.folder, "", "rtf", c.fileName});
        EXPECT_EQ(QDir(dialog.directory()).absolutePath(), QDir(c.expectedFolder).absolutePath())
            << c.what;
        auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr) << c.what;
        EXPECT_EQ(name->text(), c.fileName) << c.what;
    }
}

}  // namespace
}  // namespace platform
