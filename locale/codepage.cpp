#include "locale/codepage.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace ardentix {

QString DecodeCp932(QByteArrayView bytes) {
    QStringDecoder decoder("CP932");
    QString text = decoder.decode(bytes);
    return text;
}

std::optional<QByteArray> EncodeCp932(QStringView text) {
    QStringEncoder encoder("CP932");
    QByteArray bytes = encoder.encode(text);
    if (encoder.hasError()) {
        return std::nullopt;
    }
    return bytes;
}

}  // namespace ardentix
