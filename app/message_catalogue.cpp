#include "app/message_catalogue.h"

#include <QHash>

#include "app/prompts.h"

namespace ardentix {

std::optional<QString> CatalogueText(int number) {
    static const QHash<int, QString> kTexts = {
        {101, QStringLiteral("メッセージ番号に誤りがあります。")},
        {102, QStringLiteral("初期化ファイル作成に失敗しました。メールで作者にご相談ください。")},
        {103,
         QStringLiteral("初期化ファイルの読込みに失敗しました。メールで作者にご相談ください。")},
        {200, QStringLiteral("株価データ取得に失敗しました。")},
        {201, QStringLiteral("コードを入力してください。")},
        {202, QStringLiteral("この条件ではデータがありませんでした。")},
        {203, QStringLiteral("データ件数０でした。")},
        {205, QStringLiteral("データ作成に失敗しました。")},
        {210, QStringLiteral("現在データはありません。")},
        {300, QStringLiteral("市場は「自動」が規定です。市場を限定したい場合は選択ください。")},
        {301, QStringLiteral("ファイル名は都度設定してください。")},
        {303, QStringLiteral("株価は株式分割等があった場合の調整後の値です。")},
    };
    const auto it = kTexts.constFind(number);
    if (it == kTexts.constEnd()) {
        return std::nullopt;
    }
    return *it;
}

namespace zidodu {

void ShowMsg(Prompts& prompts, int number, int style, const QString& title) {
    QString text = CatalogueText(number).value_or(QString());
    if (text.isEmpty()) {
        text = CatalogueText(101).value_or(QString());
    }
    prompts.ShowMessage(text, style, title);
}

}  // namespace zidodu
}  // namespace ardentix
