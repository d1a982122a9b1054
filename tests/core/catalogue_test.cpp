#include <gtest/gtest.h>

#include "app/message_catalogue.h"
#include "support/scripted_prompts.h"

using namespace ardentix;
using ardentix::testing::ScriptedPrompts;

namespace {

TEST(Catalogue, HoldsEveryTextToTheCharacter) {
    const std::pair<int, const char16_t*> rows[] = {
        {101, u"メッセージ番号に誤りがあります。"},
        {102, u"初期化ファイル作成に失敗しました。メールで作者にご相談ください。"},
        {103, u"初期化ファイルの読込みに失敗しました。メールで作者にご相談ください。"},
        {200, u"株価データ取得に失敗しました。"},
        {201, u"コードを入力してください。"},
        {202, u"この条件ではデータがありませんでした。"},
        {203, u"データ件数\uFF10でした。"},  // full-width zero
        {205, u"データ作成に失敗しました。"},
        {210, u"現在データはありません。"},
        {300, u"市場は「自動」が規定です。市場を限定したい場合は選択ください。"},
        {301, u"ファイル名は都度設定してください。"},
        {303, u"株価は株式分割等があった場合の調整後の値です。"},
    };
    for (const auto& [number, text] : rows) {
        EXPECT_EQ(CatalogueText(number), QString::fromUtf16(text)) << number;
    }
    for (int missing : {0, 100, 104, 204, 302, -1}) {
        EXPECT_FALSE(CatalogueText(missing).has_value()) << missing;
    }
}

TEST(ShowMsg, ShowsTheTextUnderTheCallersStyleAndTitle) {
    ScriptedPrompts prompts;
    zidodu::ShowMsg(prompts, 203, 64, QStringLiteral("データ読込み"));
    zidodu::ShowMsg(prompts, 999, 16, QStringLiteral("任意"));
    ASSERT_EQ(prompts.calls.size(), 2u);
    EXPECT_EQ(prompts.calls[0].text, QStringLiteral("データ件数０でした。"));
    EXPECT_EQ(prompts.calls[0].style, 64);
    EXPECT_EQ(prompts.calls[0].title, QStringLiteral("データ読込み"));
    EXPECT_EQ(prompts.calls[1].text, QStringLiteral("メッセージ番号に誤りがあります。"));
    EXPECT_EQ(prompts.calls[1].style, 16);
    EXPECT_EQ(prompts.calls[1].title, QStringLiteral("任意"));
}

}  // namespace
