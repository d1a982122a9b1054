#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include "app/file_locations.h"
#include "app/message_catalogue.h"
#include "app/qt_translations.h"
#include "support/file_bytes.h"
#include "support/scripted_prompts.h"

using namespace ardentix;

namespace {

TEST(LocateFiles, KeepsFilesBesideTheProgramUnlessItIsInstalled) {
    QTemporaryDir user, program;
    qputenv("HOME", QFile::encodeName(user.filePath("home")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(user.filePath("config")));
    QCoreApplication::setApplicationName(QStringLiteral("ardentix"));
    const QString beside = program.path(), installed = user.filePath("config/ardentix");
    const auto readOnly = [](const QString&) { return false; };
    const auto locate = [&](const QString& dir, auto isWritable) {
        const FileLocations got = LocateFiles(dir, isWritable);
        EXPECT_EQ(got.exportDirectory,
                  got.settingsDirectory == beside ? beside : user.filePath("home/Documents"));
        return got.settingsDirectory;
    };
    EXPECT_EQ(locate(beside, IsWritableDirectory), beside);
    EXPECT_EQ(locate(beside + "/missing", IsWritableDirectory), installed);
    EXPECT_EQ(locate(beside, readOnly), installed);
    ardentix::testing::WriteBytes(QDir(beside).filePath("mervo.ini"), "*Corvalin\r\n");
    EXPECT_EQ(locate(beside, readOnly), beside);  // a read-only folder that holds the settings
}

TEST(Startup, QtsButtonsReadInJapaneseAndMessagesComeFromTheCatalogue) {
    ASSERT_TRUE(InstallQtTranslations(*QCoreApplication::instance()));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), u"キャンセル");

    ardentix::testing::ScriptedPrompts prompts;
    zidodu::ShowMsg(prompts, 203, 64, QStringLiteral("データ読込み"));
    zidodu::ShowMsg(prompts, 204, 16, QStringLiteral("任意"));  // no such number
    ASSERT_EQ(prompts.calls.size(), 2u);
    EXPECT_EQ(prompts.calls[0].text, u"データ件数\uFF10でした。");  // full-width zero
    EXPECT_EQ(prompts.calls[0].style, 64);
    EXPECT_EQ(prompts.calls[0].title, u"データ読込み");
    EXPECT_EQ(prompts.calls[1].text, u"メッセージ番号に誤りがあります。");
    EXPECT_EQ(prompts.calls[1].style, 16);
}

}  // namespace
