#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <optional>

namespace ardentix {

// Code page 932 (the ANSI code page of a Japanese system). Every byte A1-DF decodes to one
// halfwidth katakana; undecodable bytes become U+FFFD.
QString DecodeCp932(QByteArrayView bytes);

// nullopt when the text holds a character that code page 932 cannot represent, so that a
// file is never written with silently replaced characters.
std::optional<QByteArray> EncodeCp932(QStringView text);

}  // namespace ardentix
