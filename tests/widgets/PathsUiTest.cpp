// Paths between the core and Qt, and the save dialog that adds the extension
// before it asks about an existing file, in a folder whose name is not ASCII.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>

#include <filesystem>
#include <fstream>

#include "support/GameFixtures.h"
#include "support/QtTestSupport.h"
#include "widgets/PathsUi.h"

namespace fs = std::filesystem;

namespace {

// "hömé" as the file system spells it (UTF-8).
const std::string kHome = "h\xC3\xB6m\xC3\xA9";

std::string Folder()
{
    const std::string dir = fixtures::TmpDir() + kHome + "/";
    fs::create_directories(dir);
    return dir;
}

void Touch(const std::string& path) { std::ofstream(path) << "old"; }

} // namespace

TEST(PathsUi, PathsKeepTheSystemsBytes)
{
    qttest::App("paths_ui_test");
    const std::string path = "/tmp/" + kHome + "/r\xC3\xA9sultat \xE2\x82\xAC.jsf";
    const QString shown = PathToQt(path);
    EXPECT_EQ(shown, QString::fromUtf8("/tmp/hömé/résultat €.jsf"));
    EXPECT_EQ(PathFromQt(shown), path);
    EXPECT_EQ(PathFromQt(QString()), "");
    EXPECT_TRUE(PathToQt("").isEmpty());
}

TEST(PathsUi, SaveDialogAddsTheExtensionBeforeAskingToReplace)
{
    qttest::App("paths_ui_test");
    const std::string dir = Folder();
    Touch(dir + "myrun.jsf");
    std::remove((dir + "other.jsf").c_str());

    // The user types "myrun" (the file on disk is "myrun.jsf"), refuses to
    // replace it, then types "other".
    QString question;
    bool typedFirst = false, answered = false;
    qttest::EveryPass(qApp, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            question = box->text();
            answered = true;
            box->button(QMessageBox::No)->click();
            return false;
        }
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        if (!dialog || (typedFirst && !answered))
            return false;
        dialog->setDirectory(PathToQt(dir));
        dialog->selectFile(typedFirst ? QStringLiteral("other") : QStringLiteral("myrun"));
        QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
        const bool done = typedFirst;
        typedFirst = true;
        return done;
    });
    const QString chosen = ChooseSaveFileName(nullptr, QStringLiteral("Export"), QString(),
                                              QStringLiteral("JUX State File (*.jsf)"), QStringLiteral("jsf"));
    EXPECT_TRUE(question.contains(QStringLiteral("myrun.jsf"))) << question.toStdString();
    EXPECT_TRUE(question.contains(QStringLiteral("already exists"))) << question.toStdString();
    EXPECT_EQ(PathFromQt(chosen), dir + "other.jsf");
    std::ifstream old(dir + "myrun.jsf");
    std::string kept;
    old >> kept;
    EXPECT_EQ(kept, "old");
}
