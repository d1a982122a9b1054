#include <gtest/gtest.h>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include "app/message_catalogue.h"
#include "app/settings_file.h"
#include "support/file_bytes.h"
#include "support/scripted_prompts.h"
#include "ui/frmMain.h"
#include "ui/widget_prompts.h"

using namespace ardentix;
using ardentix::testing::ReadBytes;
using ardentix::testing::ScriptedPrompts;

namespace {

const QDate kToday(2024, 5, 17);

class Window : public ::testing::Test {
protected:
    std::unique_ptr<frmMain> Open(const QString& settingsDir) {
        return frmMain::Create(
            {settingsDir, QStringLiteral("127.0.0.1:9"), [] { return kToday; }, prompts});
    }
    std::unique_ptr<frmMain> Open() { return Open(dir.path()); }

    template <class T>
    static T* Find(const frmMain& window, const char* name) {
        auto* widget = window.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    static QStringList Line(const frmMain& window, int index) {
        const QTreeWidgetItem* item = Find<QTreeWidget>(window, "lvR")->topLevelItem(index);
        QStringList texts;
        for (int column = 0; item && column < 6; ++column) {
            texts << item->text(column);
        }
        return texts;
    }

    static void PutRows(frmMain& window, std::initializer_list<QuoteRow> rows) {
        QuoteTable& table = window.quoteTable();
        table.Clear();
        for (const QuoteRow& row : rows) {
            table.rawRows[table.rowCount++] = row;
        }
    }

    QTemporaryDir dir;
    ScriptedPrompts prompts;
};

TEST_F(Window, OpensInItsStartState) {
    auto window = Open();
    ASSERT_NE(window, nullptr);
    window->show();
    const frmMain& w = *window;

    EXPECT_EQ(w.windowTitle(), QStringLiteral("Ardentix Version0.9.7"));
    EXPECT_EQ(w.minimumSize(), QSize(546, 582));
    EXPECT_EQ(w.maximumSize(), QSize(546, 582));
    EXPECT_FALSE(w.windowIcon().isNull());
    EXPECT_EQ(w.focusWidget(), Find<QLineEdit>(w, "txtCD"));
    EXPECT_EQ(Find<QLineEdit>(w, "txtCD")->text(), QString());
    EXPECT_EQ(Find<QLineEdit>(w, "txtCD")->maxLength(), 4);
    EXPECT_EQ(Find<QLabel>(w, "lblMsg")->text(),
              QStringLiteral("市場は「自動」が規定です。市場を限定したい場合は選択ください。\n"
                             "ファイル名は都度設定してください。\n"
                             "株価は株式分割等があった場合の調整後の値です。"));
    EXPECT_EQ(Find<QLabel>(w, "lblCount")->text(), QStringLiteral("0行読込み"));
    auto* market = Find<QComboBox>(w, "cmbCat");
    EXPECT_EQ(market->count(), 8);
    EXPECT_EQ(market->currentText(), QStringLiteral("自動"));
    EXPECT_EQ(market->itemText(7), QStringLiteral("ナスダック"));
    EXPECT_EQ(Find<QComboBox>(w, "cmbVbase_0")->currentText(), QStringLiteral("株価：変換しない"));
    EXPECT_EQ(Find<QComboBox>(w, "cmbVbase_1")->currentText(), QStringLiteral("出来高：1/1,000"));
    EXPECT_EQ(w.PriceDivisor(), 1);
    EXPECT_EQ(w.VolumeDivisor(), 1000);
    auto* ymdForm = Find<QComboBox>(w, "cmbYmdForm");
    ASSERT_EQ(ymdForm->count(), 2);
    EXPECT_EQ(ymdForm->itemText(0), QStringLiteral("年月日を「yymmdd」で出力"));
    EXPECT_EQ(ymdForm->itemText(1), QStringLiteral("年月日「yy年mm月dd日」で出力"));
    EXPECT_EQ(ymdForm->currentIndex(), 0);
    for (const char* name : {"cmbCat", "cmbVbase_0", "cmbVbase_1", "cmbYmdForm"}) {
        EXPECT_FALSE(Find<QComboBox>(w, name)->isEditable()) << name;
    }
    EXPECT_EQ(Find<QLabel>(w, "lblMei")->text(), QString());
    EXPECT_EQ(Find<QLineEdit>(w, "txtFile")->text(), QString());
    EXPECT_EQ(Find<QDateEdit>(w, "dtpYmd")->date(), kToday);
    EXPECT_TRUE(Find<QDateEdit>(w, "dtpYmd")->calendarPopup());
    EXPECT_TRUE(Find<QRadioButton>(w, "optG_0")->isChecked());
    EXPECT_EQ(w.SelectedPeriod(), Period::Daily);

    auto* list = Find<QTreeWidget>(w, "lvR");
    EXPECT_EQ(list->topLevelItemCount(), 0);
    EXPECT_FALSE(list->rootIsDecorated());
    const char16_t* headers[] = {u"日付", u"開始値", u"高値", u"安値", u"終値", u"出来高"};
    ASSERT_EQ(list->columnCount(), 6);
    for (int column = 0; column < 6; ++column) {
        EXPECT_EQ(list->headerItem()->text(column), QString::fromUtf16(headers[column]));
        // 3 and 2 units of 496 / 14 pixels: about 1594 and 1063 twips.
        EXPECT_EQ(list->columnWidth(column), column == 0 ? 106 : 71) << column;
        EXPECT_EQ(list->headerItem()->textAlignment(column) & Qt::AlignHorizontal_Mask,
                  column == 0 ? 0 : int(Qt::AlignRight))
            << column;
    }
    EXPECT_TRUE(prompts.calls.empty());
}

TEST_F(Window, ControlsStandWhereTheLayoutPutsThem) {
    auto window = Open();
    ASSERT_NE(window, nullptr);
    struct Place {
        const char* name;
        const char* container;
        QRect twips;
        const char16_t* text;
    };
    // Left, top, width, height in twips, 15 to the pixel.
    const Place places[] = {
        {"frDwn", "frmMain", {540, 180, 7440, 1680}, u"ダウンロード"},
        {"optG_0", "frDwn", {1350, 315, 1095, 330}, u"デイリー"},
        {"optG_1", "frDwn", {2475, 315, 1050, 330}, u"週 間"},
        {"optG_2", "frDwn", {3555, 315, 1050, 330}, u"月 間"},
        {"lblCd_0", "frDwn", {90, 810, 1185, 240}, u"銘柄コード："},
        {"txtCD", "frDwn", {1305, 765, 870, 315}, nullptr},
        {"cmbCat", "frDwn", {2205, 765, 1365, 315}, nullptr},
        {"lblCd_1", "frDwn", {3600, 810, 1095, 240}, u"取得期日："},
        {"dtpYmd", "frDwn", {4725, 765, 1815, 330}, nullptr},
        {"lblCd_2", "frDwn", {6705, 810, 510, 240}, u"まで"},
        {"cmdDwn", "frDwn", {5580, 1215, 1725, 375}, u"ダウンロード"},
        {"lblborder", "frmMain", {540, 1890, 7440, 1275}, u""},
        {"lblMsg", "frmMain", {675, 1935, 7215, 870}, nullptr},
        {"lblCount", "frmMain", {675, 2835, 7260, 285}, nullptr},
        {"lvR", "frmMain", {540, 3195, 7440, 3975}, nullptr},
        {"lblMei", "frmMain", {585, 7200, 4110, 300}, nullptr},
        {"cmbVbase_0", "frmMain", {4725, 7200, 3255, 300}, nullptr},
        {"cmbVbase_1", "frmMain", {4725, 7515, 3255, 300}, nullptr},
        {"cmbYmdForm", "frmMain", {3150, 7965, 4110, 300}, nullptr},
        {"lblCd_3", "frmMain", {585, 8055, 2265, 240}, u"作成したファイル"},
        {"txtFile", "frmMain", {585, 8280, 6675, 375}, nullptr},
        {"cmdPath", "frmMain", {7290, 8280, 735, 375}, u"保 存"},
    };
    for (const Place& p : places) {
        const QWidget* widget = Find<QWidget>(*window, p.name);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->parentWidget()->objectName(), QString::fromLatin1(p.container)) << p.name;
        const QRect& t = p.twips;
        EXPECT_EQ(widget->geometry(),
                  QRect(t.x() / 15, t.y() / 15, t.width() / 15, t.height() / 15))
            << p.name;
        if (p.text) {
            QString text = widget->property("text").toString();
            if (auto* frame = qobject_cast<const QGroupBox*>(widget)) {
                text = frame->title();
            }
            EXPECT_EQ(text, QString::fromUtf16(p.text)) << p.name;
        }
    }
    for (const char* name : {"txtCD", "txtFile", "cmbCat", "dtpYmd", "lblCd_0", "lblCd_1",
                             "lblCd_2", "lblCd_3", "lblCount"}) {
        QWidget* widget = Find<QWidget>(*window, name);
        widget->ensurePolished();
        EXPECT_EQ(widget->font().family(), QStringLiteral("MS UI Gothic")) << name;
        EXPECT_EQ(widget->font().pointSizeF(), 9.75) << name;
    }
}

TEST_F(Window, StoredDateFormIsSelectedWithoutRewritingTheFile) {
    for (const qint32 stored : {1, 5}) {
        QTemporaryDir settings;
        const QString path = zidodu::IniPath(settings.path());
        const QByteArray bytes = zidodu::IniBytes(stored);
        {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(bytes);
            file.setFileTime(QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6), Qt::UTC),
                             QFileDevice::FileModificationTime);
        }
        const QDateTime before = QFileInfo(path).lastModified();
        auto window = Open(settings.path());
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(Find<QComboBox>(*window, "cmbYmdForm")->currentIndex(), 1) << stored;
        EXPECT_EQ(window->YmdForm(), stored);
        EXPECT_EQ(ReadBytes(path), bytes) << stored;
        EXPECT_EQ(QFileInfo(path).lastModified(), before) << stored;
    }
    EXPECT_TRUE(prompts.calls.empty());
}

TEST_F(Window, TabMovesThroughTheControlsInOrder) {
    auto window = Open();
    ASSERT_NE(window, nullptr);
    const QStringList expected = {"txtCD",      "dtpYmd",     "cmdDwn",    "cmdPath", "txtFile",
                                  "lvR",        "optG_1",     "optG_0",    "optG_2",  "cmbCat",
                                  "cmbVbase_0", "cmbVbase_1", "cmbYmdForm"};
    QStringList chain;
    QWidget* start = Find<QWidget>(*window, "txtCD");
    QWidget* widget = start;
    do {
        if (expected.contains(widget->objectName()) && (widget->focusPolicy() & Qt::TabFocus)) {
            chain << widget->objectName();
        }
        widget = widget->nextInFocusChain();
    } while (widget != start && chain.size() < 50);
    EXPECT_EQ(chain, expected);

    window->show();
    auto* code = Find<QLineEdit>(*window, "txtCD");
    auto* date = Find<QDateEdit>(*window, "dtpYmd");
    QTest::keyClick(code, Qt::Key_Tab);
    QWidget* focus = window->focusWidget();
    EXPECT_TRUE(focus == date || date->isAncestorOf(focus));
    QTest::keyClick(focus, Qt::Key_Tab);
    EXPECT_EQ(window->focusWidget(), Find<QPushButton>(*window, "cmdDwn"));
}

TEST_F(Window, CodeBoxRefusesAFifthCharacter) {
    auto window = Open();
    ASSERT_NE(window, nullptr);
    auto* code = Find<QLineEdit>(*window, "txtCD");
    QTest::keyClicks(code, QStringLiteral("12345"));
    EXPECT_EQ(code->text(), QStringLiteral("1234"));
}

TEST_F(Window, ScaleListsRedrawTheListFromTheRawRows) {
    auto window = Open();
    ASSERT_NE(window, nullptr);
    auto* price = Find<QComboBox>(*window, "cmbVbase_0");
    auto* volume = Find<QComboBox>(*window, "cmbVbase_1");
    Find<QLineEdit>(*window, "txtCD")->setText(QStringLiteral("9999"));
    Find<QComboBox>(*window, "cmbCat")->setCurrentIndex(1);
    PutRows(*window, {{QStringLiteral("020315"), 1234, 1250, 1200, 1245, 1234567, 1245},
                      {QStringLiteral("020300"), 1, 1, 1, 1, 2500, 1},
                      {QString(), 1, 1, 1, 1, 3500, 1}});
    window->ShowList();
    using L = QStringList;
    EXPECT_EQ(Line(*window, 0), (L{"02年03月15日", "1,234", "1,250", "1,200", "1,245", "1,235"}));
    EXPECT_EQ(Line(*window, 1), (L{"02年03月00日", "1", "1", "1", "1", "2"}));
    EXPECT_EQ(Line(*window, 2), (L{"  年  月  日", "1", "1", "1", "1", "4"}));
    EXPECT_EQ(Find<QTreeWidget>(*window, "lvR")->topLevelItem(0)->textAlignment(5) &
                  Qt::AlignHorizontal_Mask,
              int(Qt::AlignRight));
    EXPECT_EQ(Find<QLabel>(*window, "lblMei")->text(), QStringLiteral(" 9999 東京 ディリー"));

    // The edited code and period are read as they stand at the redraw.
    Find<QLineEdit>(*window, "txtCD")->setText(QStringLiteral("1234"));
    Find<QRadioButton>(*window, "optG_1")->setChecked(true);
    price->setCurrentIndex(1);
    EXPECT_EQ(window->PriceDivisor(), 10);
    EXPECT_EQ(Line(*window, 0), (L{"02年03月15日", "123", "125", "120", "124", "1,235"}));
    EXPECT_EQ(Find<QLabel>(*window, "lblMei")->text(), QStringLiteral(" 1234 東京 週 足"));
    price->setCurrentIndex(0);
    EXPECT_EQ(Line(*window, 0), (L{"02年03月15日", "1,234", "1,250", "1,200", "1,245", "1,235"}));
    EXPECT_EQ(window->quoteTable().rawRows[0].open, 1234);

    PutRows(*window, {{QStringLiteral("020315"), 1, 1, 1, 1, 3400000, 1}});
    volume->setCurrentIndex(6);
    EXPECT_EQ(Line(*window, 0).value(5), QStringLiteral("3"));
    volume->setCurrentIndex(1);
    EXPECT_EQ(Line(*window, 0).value(5), QStringLiteral("3,400,000"));
}

TEST_F(Window, ScaleChangeWithoutRowsOnlyStoresTheDivisor) {
    auto window = Open();
    ASSERT_NE(window, nullptr);
    Find<QLineEdit>(*window, "txtCD")->setText(QStringLiteral("9999"));
    Find<QComboBox>(*window, "cmbVbase_1")->setCurrentIndex(4);
    EXPECT_EQ(window->VolumeDivisor(), 10000);
    EXPECT_EQ(Find<QTreeWidget>(*window, "lvR")->topLevelItemCount(), 0);
    EXPECT_EQ(Find<QLabel>(*window, "lblMei")->text(), QString());
}

TEST_F(Window, FirstStartCreatesTheFileAndTheDateFormRewritesIt) {
    auto window = Open();
    ASSERT_NE(window, nullptr);
    const QString path = zidodu::IniPath(dir.path());
    EXPECT_EQ(ReadBytes(path), QByteArray::fromHex("2A436F7276616C696E0D0A594D44464F524D3D300D0A"));

    auto* ymdForm = Find<QComboBox>(*window, "cmbYmdForm");
    ymdForm->setCurrentIndex(1);
    EXPECT_EQ(window->YmdForm(), 1);
    EXPECT_EQ(ReadBytes(path), QByteArray("*Corvalin\r\nYMDFORM=1\r\n"));
    EXPECT_TRUE(prompts.calls.empty());

    // A file that may not be replaced: message 102, and the new choice still holds.
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner));
    ymdForm->setCurrentIndex(0);
    EXPECT_EQ(window->YmdForm(), 0);
    ASSERT_EQ(prompts.calls.size(), 1u);
    EXPECT_EQ(prompts.calls[0].text, CatalogueText(102).value());
    EXPECT_EQ(prompts.calls[0].title, QStringLiteral("初期化ファイル作成"));
    EXPECT_EQ(ReadBytes(path), QByteArray("*Corvalin\r\nYMDFORM=1\r\n"));
}

TEST_F(Window, SettingsFailureShowsOneBoxAndNoWindow) {
    QFile plain(dir.filePath(QStringLiteral("plain")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    QTemporaryDir iniIsDir;
    ASSERT_TRUE(QDir(iniIsDir.path()).mkdir(QStringLiteral("mervo.ini")));
    QTemporaryDir malformed;
    ardentix::testing::WriteBytes(zidodu::IniPath(malformed.path()), "YMDFORM=abc\r\n");

    const std::pair<QString, int> cases[] = {
        {plain.fileName() + QStringLiteral("/settings"), 102},
        {iniIsDir.path(), 102},
        {malformed.path(), 103},
    };
    for (const auto& [settingsDir, number] : cases) {
        prompts.calls.clear();
        EXPECT_EQ(Open(settingsDir), nullptr) << number;
        ASSERT_EQ(prompts.calls.size(), 1u) << number;
        EXPECT_EQ(prompts.calls[0].text, CatalogueText(number).value());
        EXPECT_EQ(prompts.calls[0].style, 64);
        EXPECT_EQ(prompts.calls[0].title, number == 102 ? QStringLiteral("初期化ファイル作成")
                                                        : QStringLiteral("初期化ファイルの読み"));
    }
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        EXPECT_EQ(qobject_cast<frmMain*>(widget), nullptr);
    }
}

TEST_F(Window, CloseIsRefusedWhileBusy) {
    auto window = Open();
    ASSERT_NE(window, nullptr);
    window->show();
    window->SetIsBusy(true);
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    window->SetIsBusy(false);
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(prompts.calls.empty());
}

TEST(MessageBox, AnEmptyTitleShowsAsNoTitleTextNotTheProgramsName) {
    // The window system is handed a blank title: an empty one it replaces by the program's name.
    for (const QString& title : {QString(), QStringLiteral("データ取得")}) {
        const auto box = NewMessageBox(nullptr, QStringLiteral("x"), 33, title);
        EXPECT_FALSE(box->windowTitle().isEmpty());
        EXPECT_EQ(box->windowTitle().trimmed(), title);
    }
}

}  // namespace
