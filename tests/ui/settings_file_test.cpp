#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "app/message_catalogue.h"
#include "app/settings_file.h"
#include "support/file_bytes.h"
#include "support/scripted_prompts.h"

using namespace ardentix;
using ardentix::testing::FileSizeLimit;
using ardentix::testing::ImmutableFolder;
using ardentix::testing::ReadBytes;
using ardentix::testing::ScriptedPrompts;
using ardentix::testing::WriteBytes;

namespace {

TEST(ParseIni, FollowsEveryLineRule) {
    struct Case {
        const char* name;
        const char* text;
        bool ok;
        qint32 ymdForm;
    };
    const Case cases[] = {
        {"empty file", "", true, 0},
        {"header only", "*Corvalin\r\n", true, 0},
        {"header without line end", "*Corvalin", true, 0},
        {"the written file", "*Corvalin\r\nYMDFORM=1\r\n", true, 1},
        {"empty line ends the reading", "*Corvalin\r\n\r\nYMDFORM=1\r\n", true, 0},
        {"blank line is skipped", "*Corvalin\r\n   \r\nYMDFORM=1\r\n", true, 1},
        {"leading space makes another key", "*Corvalin\r\n YMDFORM=1\r\n", true, 0},
        {"lower case is another key", "*Corvalin\r\nymdform=1\r\n", true, 0},
        {"space before = is another key", "*Corvalin\r\nYMDFORM =1\r\n", true, 0},
        {"spaces around the number", "*Corvalin\r\nYMDFORM= 1 \r\n", true, 1},
        {"value ends at the second =", "*Corvalin\r\nYMDFORM=1=2\r\n", true, 1},
        {"last line wins", "YMDFORM=1\r\nYMDFORM=0\r\n", true, 0},
        {"fraction rounds half to even", "YMDFORM=2.5\r\n", true, 2},
        {"other keys ignored unread", "COLOR=abc\r\nYMDFORM=1\r\n", true, 1},
        {"LF line ends", "*Corvalin\nYMDFORM=1\n", true, 1},
        {"not a number", "*Corvalin\r\nYMDFORM=abc\r\n", false, 0},
        {"empty value", "*Corvalin\r\nYMDFORM=\r\n", false, 0},
        {"no = at all", "*Corvalin\r\nYMDFORM\r\n", false, 0},
        {"outside 32 bits", "YMDFORM=2147483648\r\n", false, 0},
        {"failure after the empty line is never read", "\r\nYMDFORM=abc\r\n", true, 0},
    };
    for (const auto& c : cases) {
        qint32 ymdForm = 0;
        EXPECT_EQ(zidodu::ParseIni(QString::fromUtf8(c.text), ymdForm), c.ok) << c.name;
        if (c.ok) {
            EXPECT_EQ(ymdForm, c.ymdForm) << c.name;
        }
    }
}

TEST(SettingsFile, FirstStartWritesTheExactBytesAndReadsThemBack) {
    QTemporaryDir dir;
    ScriptedPrompts prompts;
    qint32 ymdForm = 7;
    ASSERT_TRUE(zidodu::EnsureIni(prompts, dir.path(), ymdForm));
    EXPECT_EQ(ymdForm, 0);
    EXPECT_EQ(ReadBytes(zidodu::IniPath(dir.path())),
              QByteArray::fromHex("2A436F7276616C696E0D0A594D44464F524D3D300D0A"));

    ASSERT_TRUE(zidodu::WriteIni(prompts, dir.path(), 1));
    EXPECT_EQ(ReadBytes(zidodu::IniPath(dir.path())), QByteArray("*Corvalin\r\nYMDFORM=1\r\n"));
    ymdForm = 0;
    ASSERT_TRUE(zidodu::EnsureIni(prompts, dir.path(), ymdForm));  // exists: left alone
    ASSERT_TRUE(zidodu::ReadIni(prompts, dir.path(), ymdForm));
    EXPECT_EQ(ymdForm, 1);
    EXPECT_TRUE(prompts.calls.empty());
}

TEST(SettingsFile, EachFailureShowsOneMessage) {
    QTemporaryDir dir;
    const QString plainFile = dir.filePath(QStringLiteral("plain"));
    WriteBytes(plainFile, "x");
    const QString throughFile = plainFile + QStringLiteral("/sub");

    struct Expect {
        int number;
        const char16_t* title;
    };
    const Expect create{102, u"初期化ファイル作成"};
    const Expect read{103, u"初期化ファイルの読み"};
    auto check = [](const ScriptedPrompts& prompts, const Expect& e, const char* what) {
        ASSERT_EQ(prompts.calls.size(), 1u) << what;
        EXPECT_EQ(prompts.calls[0].text, CatalogueText(e.number).value()) << what;
        EXPECT_EQ(prompts.calls[0].style, 64) << what;
        EXPECT_EQ(prompts.calls[0].title, QString::fromUtf16(e.title)) << what;
    };

    {
        ScriptedPrompts prompts;
        qint32 ymdForm = 0;
        EXPECT_FALSE(zidodu::EnsureIni(prompts, throughFile, ymdForm));
        check(prompts, create, "create through a regular file");
    }
    {
        ScriptedPrompts prompts;
        qint32 ymdForm = 0;
        EXPECT_FALSE(zidodu::ReadIni(prompts, dir.filePath(QStringLiteral("none")), ymdForm));
        check(prompts, read, "missing file");
    }
    {
        QTemporaryDir dirIni;
        ASSERT_TRUE(QDir(dirIni.path()).mkdir(QStringLiteral("mervo.ini")));
        ScriptedPrompts prompts;
        qint32 ymdForm = 0;
        EXPECT_FALSE(zidodu::EnsureIni(prompts, dirIni.path(), ymdForm));
        check(prompts, create, "mervo.ini is a directory");
        ScriptedPrompts writePrompts;
        EXPECT_FALSE(zidodu::WriteIni(writePrompts, dirIni.path(), 1));
        check(writePrompts, create, "rewrite over a directory");
    }
    {
        QTemporaryDir bad;
        WriteBytes(zidodu::IniPath(bad.path()), "*Corvalin\r\nYMDFORM=abc\r\n");
        ScriptedPrompts prompts;
        qint32 ymdForm = 0;
        EXPECT_FALSE(zidodu::ReadIni(prompts, bad.path(), ymdForm));
        check(prompts, read, "malformed value");
    }
}

TEST(SettingsFile, ARefusedOrFailedRewriteKeepsTheFile) {
    const QByteArray old("*Corvalin\r\nYMDFORM=0\r\n");
    const auto rewrite = [&](auto&& around) {
        QTemporaryDir dir;
        const QString path = zidodu::IniPath(dir.path());
        WriteBytes(path, old);
        ScriptedPrompts prompts;
        around(path, [&] { EXPECT_FALSE(zidodu::WriteIni(prompts, dir.path(), 1)); });
        ASSERT_EQ(prompts.calls.size(), 1u);
        EXPECT_EQ(prompts.calls[0].title, QStringLiteral("初期化ファイル作成"));
        EXPECT_EQ(ReadBytes(path), old);
    };
    rewrite([](const QString& path, auto write) {
        ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
        write();
    });
    rewrite([](const QString&, auto write) {
        FileSizeLimit limit(8);  // below the file's 22 bytes, which fail only when flushed
        ASSERT_TRUE(limit.active());
        write();
    });
}

TEST(SettingsFile, AFolderThatRefusesNewFilesHasItsFileRewrittenInPlace) {
    QTemporaryDir dir;
    ScriptedPrompts prompts;
    qint32 ymdForm = 0;
    ASSERT_TRUE(zidodu::EnsureIni(prompts, dir.path(), ymdForm));
    ImmutableFolder locked(dir.path());
    if (!locked.active()) {
        GTEST_SKIP() << "this file system cannot make a folder immutable";
    }
    EXPECT_TRUE(zidodu::WriteIni(prompts, dir.path(), 1));
    EXPECT_EQ(ReadBytes(zidodu::IniPath(dir.path())), QByteArray("*Corvalin\r\nYMDFORM=1\r\n"));
    EXPECT_TRUE(prompts.calls.empty());
}

}  // namespace
