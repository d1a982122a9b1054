#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QMessageBox>
#include <QRadioButton>

#include "app/message_catalogue.h"
#include "app/settings_file.h"
#include "support/file_bytes.h"
#include "ui/widget_prompts.h"
#include "ui/window_fixture.h"

using namespace ardentix;
using namespace ardentix::testing;

namespace {

class Window : public WindowTest {
protected:
    void SetUp() override {
        window = Open(dir.path());
        ASSERT_NE(window, nullptr);
        TypeCode("7203");
    }
    void PutRows(std::initializer_list<QuoteRow> rows) {
        window->quoteTable().Clear();
        for (const QuoteRow& row : rows) {
            window->quoteTable().rawRows[window->quoteTable().rowCount++] = row;
        }
        window->ShowList();
    }
    QComboBox* Box(const char* name) const { return W<QComboBox>(name); }
};

TEST_F(Window, StartsAsTheSettingsFileSaysAndTheDateFormRewritesIt) {
    EXPECT_EQ(W<QDateEdit>("dtpYmd")->date(), today);
    EXPECT_TRUE(W<QRadioButton>("optG_0")->isChecked());
    EXPECT_EQ(window->VolumeDivisor(), 1000);
    auto* list = W<QTreeWidget>("lvR");
    EXPECT_EQ(list->columnWidth(0), 106);  // 3 and 2 fourteenths of the list's width
    EXPECT_EQ(list->columnWidth(5), 71);
    const QString stored = zidodu::IniPath(exports.path());
    WriteBytes(stored, zidodu::IniBytes(5));  // any form but 0 is the kanji form
    const auto other = Open(exports.path());
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->findChild<QComboBox*>("cmbYmdForm")->currentIndex(), 1);
    EXPECT_EQ(other->YmdForm(), 5);
    EXPECT_EQ(ReadBytes(stored), zidodu::IniBytes(5)) << "opening rewrote the file";
    for (const int form : {1, 0}) {
        Box("cmbYmdForm")->setCurrentIndex(form);
        EXPECT_EQ(ReadBytes(zidodu::IniPath(dir.path())), zidodu::IniBytes(form));
    }
    EXPECT_TRUE(prompts.calls.empty());
}

TEST_F(Window, SettingsFailureShowsOneBoxAndNoWindow) {
    window.reset();
    WriteBytes(dir.filePath("plain"), "x");
    EXPECT_EQ(Open(dir.filePath("plain/sub")), nullptr);
    ASSERT_EQ(prompts.calls.size(), 1u);
    EXPECT_EQ(prompts.calls[0].text, CatalogueText(102).value());
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        EXPECT_EQ(qobject_cast<frmMain*>(widget), nullptr);
    }
}

TEST_F(Window, ScaleListsRedrawTheListFromTheRawRows) {
    Box("cmbVbase_1")->setCurrentIndex(4);  // no rows: only the divisor changes
    EXPECT_EQ(window->VolumeDivisor(), 10000);
    EXPECT_EQ(Text("lblMei"), QString());
    Box("cmbVbase_1")->setCurrentIndex(0);

    Box("cmbCat")->setCurrentIndex(1);
    PutRows({{"020315", 1234, 1250, 1200, 1245, 1234567, 1245},
             {"020300", 1, 1, 1, 1, 2500, 1},
             {"", 1, 1, 1, 1, 3500, 1}});
    using L = QStringList;
    EXPECT_EQ(Line(0), (L{"02年03月15日", "1,234", "1,250", "1,200", "1,245", "1,235"}));
    EXPECT_EQ(Line(1), (L{"02年03月00日", "1", "1", "1", "1", "2"}));
    EXPECT_EQ(Line(2), (L{"  年  月  日", "1", "1", "1", "1", "4"}));
    EXPECT_NE(W<QTreeWidget>("lvR")->topLevelItem(0)->textAlignment(1) & Qt::AlignRight, 0);
    EXPECT_EQ(Text("lblMei"), QStringLiteral(" 7203 東京 ディリー"));

    // The edited code and period are read as they stand at the redraw.
    TypeCode("1234");
    W<QRadioButton>("optG_2")->setChecked(true);
    Box("cmbVbase_0")->setCurrentIndex(1);
    EXPECT_EQ(Line(0), (L{"02年03月15日", "123", "125", "120", "124", "1,235"}));
    EXPECT_EQ(Text("lblMei"), QStringLiteral(" 1234 東京 月 足"));
    Box("cmbVbase_1")->setCurrentIndex(1);
    EXPECT_EQ(Line(0).value(5), QStringLiteral("1,234,567"));
}

TEST(MessageBox, StyleChoosesIconAndButtonsAndABlankTitleStaysBlank) {
    using B = QMessageBox;
    const std::tuple<int, B::Icon, B::StandardButtons> cases[] = {
        {16, B::Critical, B::Ok},
        {33, B::Question, B::Ok | B::Cancel},
        {64, B::Information, B::Ok}};
    for (const auto& [style, icon, buttons] : cases) {
        const auto box = NewMessageBox(nullptr, "x", style, QString());
        EXPECT_TRUE(box->icon() == icon && box->standardButtons() == buttons) << style;
        EXPECT_EQ(box->windowTitle(), " ");  // an empty one becomes the program's name
    }
    EXPECT_EQ(NewMessageBox(nullptr, "x", 0, "データ取得")->windowTitle(), "データ取得");
}

// Without rows, message 210 and no dialog. With rows, the default name in the export folder,
// a question before it is replaced, nothing written when cancelled, and an earlier file kept
// when the write fails.
TEST_F(Window, SavesTheListAskingBeforeReplacingAndKeepingWhatAFailedWriteWouldLose) {
    QString calls;  // the kind of each box or dialog: M(essage), Q(uestion), S(ave dialog)
    prompts.whileOpen = [&] { calls += "MQS"[int(prompts.calls.back().kind)]; };
    Click("cmdPath");
    EXPECT_EQ(calls, "M");
    EXPECT_EQ(prompts.calls[0].text, QStringLiteral("現在データはありません。"));
    EXPECT_EQ(prompts.calls[0].style, 64);
    EXPECT_EQ(prompts.calls[0].title, QStringLiteral("株価テキストファイル作成"));

    PutRows({{"240105", 1234, 1250, 1220, 1240, 5000000, 1240},
             {"240104", 1201, 1235, 1199, 1230, 2500, 1230}});
    const QString existing = exports.filePath("zubD7203.csv");
    WriteBytes(existing, "earlier\r\n");
    prompts.answers = {false, true, true};
    prompts.fileNames = {existing, std::nullopt, existing};
    Click("cmdPath");  // Cancel: no dialog, nothing changes
    EXPECT_EQ(calls, "MQ");
    EXPECT_EQ(prompts.calls[1].style, 33);
    EXPECT_EQ(prompts.calls[1].text,
              "このファイルはすでにあります。上書き（あるいは別ファイル作成）しますか？\r\n"
              "ファイル名：" +
                  existing);
    EXPECT_EQ(ReadBytes(existing), "earlier\r\n");
    EXPECT_EQ(Text("lblCount"), QStringLiteral("0行読込み"));
    Click("cmdPath");  // OK: the file is replaced
    const QByteArray saved = ReadBytes(existing);
    EXPECT_TRUE(saved.startsWith("240105,1234"));

    W<QRadioButton>("optG_1")->setChecked(true);
    Click("cmdPath");  // no file of that name yet: no question; the dialog is cancelled
    EXPECT_EQ(calls, "MQQSS");
    EXPECT_EQ(prompts.calls[4].save.proposedName, QStringLiteral("zubW7203.csv"));
    EXPECT_EQ(prompts.calls[4].save.initialDirectory, exports.path());
    EXPECT_EQ(Text("lblCount"), QStringLiteral("ファイル作成失敗"));
    EXPECT_EQ(QDir(exports.path()).entryList({"*.csv"}), QStringList{"zubD7203.csv"});

    W<QRadioButton>("optG_0")->setChecked(true);
    W<QLabel>("lblCount")->clear();
    {
        FileSizeLimit limit(16);  // below the export, which fails only when flushed
        ASSERT_TRUE(limit.active());
        Click("cmdPath");
    }
    EXPECT_EQ(calls, "MQQSSQSM");
    EXPECT_EQ(prompts.calls[7].style, 16);
    EXPECT_EQ(Text("lblCount"), QStringLiteral("ファイル作成失敗"));
    EXPECT_EQ(W<QLineEdit>("txtFile")->text(), existing);
    EXPECT_EQ(ReadBytes(existing), saved);
}

}  // namespace
