// Feeds arbitrary bytes to ParseIni, decoded from code page 932 as ReadIni decodes the file.
// Besides running clean under the sanitizers, the result is checked against the lines that are
// read: lines end at CR LF, CR or LF, and reading stops at the first empty line or the end.
// - A read YMDFORM line without "=" or with nothing before a second "=" fails the parse.
// - When every read YMDFORM value is 1 to 9 plain digits, the parse succeeds and leaves the
//   last such value (or, with no YMDFORM line, the value passed in).
// The first four bytes, as a little-endian number, also go through IniBytes and back.
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>

#include "app/settings_file.h"
#include "locale/codepage.h"

using namespace ardentix;

namespace {

constexpr qint32 kUntouched = -7;

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

bool IsPlainDecimal(const QString& value) {
    if (value.isEmpty() || value.size() > 9) {
        return false;
    }
    for (QChar c : value) {
        if (c < u'0' || c > u'9') {
            return false;
        }
    }
    return true;
}

void CheckReadLines(const QString& text, bool parsed, qint32 ymdForm) {
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    bool malformed = false;
    bool allPlain = true;
    std::optional<qint32> last;
    for (const QString& line : text.split(lineEnd)) {
        if (line.isEmpty()) {
            break;
        }
        const QStringList parts = line.split(u'=');
        if (parts[0] != QLatin1String("YMDFORM")) {
            continue;
        }
        if (parts.size() < 2 || parts[1].isEmpty()) {
            malformed = true;
        } else if (IsPlainDecimal(parts[1])) {
            last = parts[1].toInt();
            continue;
        }
        allPlain = false;
    }
    if (malformed) {
        Check(!parsed);
    }
    if (allPlain) {
        Check(parsed);
        Check(ymdForm == last.value_or(kUntouched));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString text = DecodeCp932(bytes);
    qint32 ymdForm = kUntouched;
    const bool parsed = zidodu::ParseIni(text, ymdForm);
    CheckReadLines(text, parsed, ymdForm);

    if (size >= 4) {
        const auto k =
            static_cast<qint32>(std::uint32_t(data[0]) | std::uint32_t(data[1]) << 8 |
                                std::uint32_t(data[2]) << 16 | std::uint32_t(data[3]) << 24);
        qint32 back = k == 0 ? 1 : 0;
        Check(zidodu::ParseIni(DecodeCp932(zidodu::IniBytes(k)), back));
        Check(back == k);
    }
    return 0;
}
