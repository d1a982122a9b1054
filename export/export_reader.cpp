#include "export/export_reader.h"

#include <algorithm>

#include "locale/codepage.h"
#include "parse/date_rule.h"

namespace ardentix {
namespace {

using namespace Qt::StringLiterals;

bool IsDigits(QStringView text) {
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// At most 16 characters: a number a double holds closely, far inside 64 bits.
bool IsWholeNumber(QStringView text) {
    return IsDigits(text.startsWith(u'-') ? text.mid(1) : text) && text.size() <= 16;
}

// The stored date text of a date field and the form it is written in (0 "yymmdd", 1 the kanji
// form "yy年mm月dd日"); the form is -1 for neither.
std::pair<QString, int> StoredDate(QStringView field) {
    if (field.size() == 6) {
        return {field.toString(), 0};
    }
    if (field.size() == 9 && field[2] == u'年' && field[5] == u'月' && field[8] == u'日') {
        return {u"%1%2%3"_s.arg(field.mid(0, 2), field.mid(3, 2), field.mid(6, 2)), 1};
    }
    return {QString(), -1};
}

QString PeriodWord(Period period) {
    static const QString kWords[] = {u"daily"_s, u"weekly"_s, u"monthly"_s};
    return kWords[static_cast<int>(period)];
}

}  // namespace

ExportReadResult ReadExportBytes(QByteArrayView bytes, Period period, QDate endDate) {
    ExportReadResult result;
    int form = -1;
    qsizetype begin = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    for (int number = 1; begin < bytes.size(); ++number) {
        const auto fail = [&](const QString& why) {
            result.lines.clear();
            result.error = u"line %1: %2"_s.arg(number).arg(why);
            return result;
        };
        const qsizetype end = bytes.indexOf("\r\n", begin);
        const QByteArrayView line = bytes.sliced(begin, (end < 0 ? bytes.size() : end) - begin);
        if (end < 0 || line.contains('\r') || line.contains('\n')) {
            return fail(u"not ended by CR LF"_s);
        }
        const QString text = DecodeCp932(line);
        const QList<QStringView> fields = QStringView(text).split(u',');
        if (fields.size() != 6 || !std::all_of(fields.begin() + 1, fields.end(), IsWholeNumber)) {
            return fail(u"not a date and five whole numbers"_s);
        }
        const auto [ymd, lineForm] = StoredDate(fields[0]);
        const std::optional<QDate> date = RowDate(ymd, period, endDate);
        if (!date) {
            return fail(u"\"%1\" is not a %2 date"_s.arg(fields[0], PeriodWord(period)));
        }
        if (form >= 0 && lineForm != form) {
            return fail(u"its date is not in the form of line 1"_s);
        }
        if (!result.lines.empty() && *date >= result.lines.back().date) {
            return fail(u"not older than the line above it"_s);
        }
        form = lineForm;
        ExportLine& read = result.lines.emplace_back();
        read.date = *date;
        for (int i = 0; i < 5; ++i) {
            read.figures[i] = fields[i + 1].toLongLong();
        }
        read.bytes = bytes.sliced(begin, end + 2 - begin).toByteArray();
        begin = end + 2;
    }
    result.ok = true;
    result.ymdForm = form;
    return result;
}

}  // namespace ardentix
