#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include "app/file_locations.h"
#include "app/qt_translations.h"
#include "support/file_bytes.h"

using namespace ardentix;

namespace {

TEST(LocateFiles, KeepsFilesBesideTheProgramUnlessItIsInstalled) {
    QTemporaryDir user;
    qputenv("HOME", QFile::encodeName(user.filePath("home")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(user.filePath("config")));
    QCoreApplication::setApplicationName(QStringLiteral("ardentix"));
    const FileLocations installed{user.filePath("config/ardentix"),
                                  user.filePath("home/Documents")};

    QTemporaryDir program;
    const QString programDir = program.path();
    const FileLocations beside{programDir, programDir};
    const auto readOnly = [](const QString&) { return false; };
    struct Case {
        const char* name;
        QString programDirectory;
        std::function<bool(const QString&)> isWritable;
        bool holdsIni;
        FileLocations expected;
    };
    const Case cases[] = {
        {"a folder the user can write", programDir, IsWritableDirectory, false, beside},
        {"a folder that does not exist", programDir + "/missing", IsWritableDirectory, false,
         installed},
        {"a read-only folder", programDir, readOnly, false, installed},
        {"a read-only folder that holds mervo.ini", programDir, readOnly, true, beside},
    };
    for (const auto& c : cases) {
        QFile::remove(QDir(programDir).filePath("mervo.ini"));
        if (c.holdsIni) {
            ardentix::testing::WriteBytes(QDir(programDir).filePath("mervo.ini"), "*Corvalin\r\n");
        }
        const FileLocations got = LocateFiles(c.programDirectory, c.isWritable);
        EXPECT_EQ(got.settingsDirectory, c.expected.settingsDirectory) << c.name;
        EXPECT_EQ(got.exportDirectory, c.expected.exportDirectory) << c.name;
    }
}

TEST(QtTranslations, StandardButtonsReadInJapanese) {
    ASSERT_TRUE(InstallQtTranslations(*QCoreApplication::instance()));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"),
              QStringLiteral("キャンセル"));
}

}  // namespace
