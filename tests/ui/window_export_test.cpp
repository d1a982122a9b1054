#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include "support/file_bytes.h"
#include "support/scripted_prompts.h"
#include "ui/frmMain.h"

using namespace ardentix;
using ardentix::testing::FileSizeLimit;
using ardentix::testing::ReadBytes;
using ardentix::testing::ScriptedPrompts;
using ardentix::testing::WriteBytes;

namespace {

using Kind = ScriptedPrompts::Kind;

class WindowExport : public ::testing::Test {
protected:
    void SetUp() override {
        WindowContext context{dir.path(), QStringLiteral("127.0.0.1:9"),
                              [] { return QDate(2024, 1, 5); }, prompts};
        context.exportDirectory = exports.path();
        window = frmMain::Create(context);
        ASSERT_NE(window, nullptr);
        QTest::keyClicks(window->findChild<QLineEdit*>("txtCD"), "7203");
    }

    void PutRows() {
        QuoteTable& table = window->quoteTable();
        table.rawRows[0] = {"240105", 1234, 1250, 1220, 1240, 5000000, 1240};
        table.rawRows[1] = {"240104", 1201, 1235, 1199, 1230, 2500, 1230};
        table.rowCount = 2;
        window->ShowList();
    }
    void Save() { QTest::mouseClick(window->findChild<QPushButton*>("cmdPath"), Qt::LeftButton); }
    QString Count() const { return window->findChild<QLabel*>("lblCount")->text(); }
    QString FileBox() const { return window->findChild<QLineEdit*>("txtFile")->text(); }
    std::vector<Kind> Kinds() const {
        std::vector<Kind> out;
        for (const auto& c : prompts.calls) {
            out.push_back(c.kind);
        }
        return out;
    }

    QTemporaryDir dir;      // mervo.ini
    QTemporaryDir exports;  // where the proposed names live
    QTemporaryDir target;   // where the dialog saves
    ScriptedPrompts prompts;
    std::unique_ptr<frmMain> window;
};

TEST_F(WindowExport, WithoutRowsShowsMessage210AndNoDialog) {
    Save();
    ASSERT_EQ(prompts.calls.size(), 1u);
    EXPECT_EQ(prompts.calls[0].text, QStringLiteral("現在データはありません。"));
    EXPECT_EQ(prompts.calls[0].style, 64);
    EXPECT_EQ(prompts.calls[0].title, QStringLiteral("株価テキストファイル作成"));
}

TEST_F(WindowExport, WritesTheScaledFiguresInBothDateForms) {
    PutRows();
    const QString path = target.filePath("out.csv");
    prompts.fileNames = {path, path, path};
    Save();
    EXPECT_EQ(ReadBytes(path), QByteArray("240105,1234,1250,1220,1240,5000\r\n"
                                          "240104,1201,1235,1199,1230,2\r\n"));
    EXPECT_EQ(FileBox(), path);
    EXPECT_EQ(window->exportPath(), path);

    window->findChild<QComboBox*>("cmbYmdForm")->setCurrentIndex(1);
    window->findChild<QComboBox*>("cmbVbase_1")->setCurrentIndex(1);  // volume as is
    Save();
    EXPECT_EQ(ReadBytes(path), QByteArray("24\x94\x4E"
                                          "01\x8C\x8E"
                                          "05\x93\xFA,1234,1250,1220,"
                                          "1240,5000000\r\n"
                                          "24\x94\x4E"
                                          "01\x8C\x8E"
                                          "04\x93\xFA,1201,1235,1199,"
                                          "1230,2500\r\n"));
    // A shorter table replaces the file whole.
    window->quoteTable().rowCount = 1;
    window->ShowList();
    Save();
    EXPECT_EQ(ReadBytes(path).count('\n'), 1);
}

TEST_F(WindowExport, ProposesTheDefaultNameInTheExportFolder) {
    PutRows();
    const std::pair<const char*, const char16_t*> cases[] = {
        {"optG_0", u"zubD7203.csv"}, {"optG_1", u"zubW7203.csv"}, {"optG_2", u"zubM7203.csv"}};
    for (const auto& [option, name] : cases) {
        window->findChild<QRadioButton*>(option)->setChecked(true);
        Save();
    }
    window->findChild<QLineEdit*>("txtCD")->clear();
    window->findChild<QRadioButton*>("optG_0")->setChecked(true);
    Save();
    ASSERT_EQ(prompts.calls.size(), 4u);
    const QString names[] = {"zubD7203.csv", "zubW7203.csv", "zubM7203.csv", "zubD.csv"};
    for (int i = 0; i < 4; ++i) {
        const SaveDialogRequest& r = prompts.calls[i].save;
        EXPECT_EQ(prompts.calls[i].kind, Kind::SaveDialog);
        EXPECT_EQ(r.proposedName, names[i]);
        EXPECT_EQ(r.title, QStringLiteral("作成データファイル名"));
        EXPECT_EQ(r.filterDescription, QStringLiteral("CSVファイル (*.csv)"));
        EXPECT_EQ(r.patterns, QStringList({"*.csv", "*.txt"}));
        EXPECT_EQ(r.initialDirectory, exports.path());
    }
    // Each dialog was cancelled: nothing written, the failure text shown.
    EXPECT_EQ(Count(), QStringLiteral("ファイル作成失敗"));
    EXPECT_TRUE(window->exportPath().isEmpty());
    EXPECT_EQ(QDir(exports.path()).entryList({"*.csv"}, QDir::Files), QStringList());
}

TEST_F(WindowExport, AsksBeforeReplacingTheDefaultFile) {
    PutRows();
    const QString existing = exports.filePath("zubD7203.csv");
    WriteBytes(existing, "earlier\r\n");

    prompts.answers = {false};
    Save();  // Cancel: no dialog, nothing changes
    EXPECT_EQ(Kinds(), std::vector<Kind>({Kind::Question}));
    EXPECT_EQ(prompts.calls[0].style, 33);
    EXPECT_EQ(prompts.calls[0].title, QString());
    EXPECT_EQ(
        prompts.calls[0].text,
        QStringLiteral("このファイルはすでにあります。上書き（あるいは別ファイル作成）しますか？"
                       "\r\nファイル名：") +
            existing);
    EXPECT_EQ(ReadBytes(existing), QByteArray("earlier\r\n"));
    EXPECT_EQ(Count(), QStringLiteral("0行読込み"));

    prompts.answers = {true};
    prompts.fileNames = {existing};
    Save();  // OK: the dialog opens and the file is replaced
    EXPECT_EQ(Kinds(), std::vector<Kind>({Kind::Question, Kind::Question, Kind::SaveDialog}));
    EXPECT_TRUE(ReadBytes(existing).startsWith("240105,1234"));
}

TEST_F(WindowExport, AFailedWriteKeepsTheEarlierFileAndSaysSo) {
    PutRows();
    const QString path = target.filePath("out.csv");
    WriteBytes(path, "earlier\r\n");
    prompts.fileNames = {path};

    {
        // The export is smaller than the file's write buffer: it fails only when flushed.
        FileSizeLimit limit(16);
        ASSERT_TRUE(limit.active());
        Save();
    }

    EXPECT_EQ(ReadBytes(path), QByteArray("earlier\r\n"));
    ASSERT_EQ(Kinds(), std::vector<Kind>({Kind::SaveDialog, Kind::Message}));
    EXPECT_EQ(prompts.calls[1].style, 16);
    EXPECT_EQ(prompts.calls[1].title, QStringLiteral("ファイル作成"));
    EXPECT_FALSE(prompts.calls[1].text.isEmpty());
    EXPECT_EQ(Count(), QStringLiteral("ファイル作成失敗"));
    EXPECT_EQ(FileBox(), path);
}

}  // namespace
