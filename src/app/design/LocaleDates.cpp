#include "design/LocaleDates.h"

#include <algorithm>
#include <functional>
#include <vector>

namespace kelvora::LocaleDates {

namespace {

// One piece of a Qt date or time pattern: a field ("dddd", "MMM", "yyyy", "HH") or the
// literal text between fields, kept as written (quotes included).
struct Piece {
    QString raw;
    QChar letter; // null for a literal
    bool isField() const { return !letter.isNull(); }
};

bool isFieldLetter(QChar c) {
    return QStringLiteral("dMyhHmszatApP").contains(c);
}

std::vector<Piece> split(const QString& pattern) {
    std::vector<Piece> pieces;
    auto literal = [&](const QString& text) {
        if (!pieces.empty() && !pieces.back().isField())
            pieces.back().raw += text;
        else
            pieces.push_back({text, QChar()});
    };
    for (qsizetype i = 0; i < pattern.size();) {
        QChar c = pattern[i];
        if (c == '\'') {
            qsizetype end = i + 1;
            while (end < pattern.size()) {
                if (pattern[end] == '\'' && end + 1 < pattern.size() && pattern[end + 1] == '\'')
                    end += 2;
                else if (pattern[end] == '\'')
                    break;
                else
                    ++end;
            }
            end = std::min(end + 1, pattern.size());
            literal(pattern.mid(i, end - i));
            i = end;
        } else if (isFieldLetter(c)) {
            qsizetype end = i;
            while (end < pattern.size() && pattern[end] == c)
                ++end;
            pieces.push_back({pattern.mid(i, end - i), c});
            i = end;
        } else {
            literal(QString(c));
            ++i;
        }
    }
    return pieces;
}

QString join(const std::vector<Piece>& pieces) {
    QString pattern;
    for (const Piece& piece : pieces)
        pattern += piece.raw;
    return pattern;
}

// What a literal carries of the field before it: letters or an ordinal dot written right
// after it ("日" in "d日", "일" in "d일 ", "." in "d., ") rather than a separator.
qsizetype suffixLength(const QString& literal) {
    qsizetype length = 0;
    while (length < literal.size() && (literal[length].isLetter() || literal[length] == '.'))
        ++length;
    return length;
}

// Takes out every field the test picks, with the separator that tied it to its neighbour:
// the one after it when it comes first or in the middle, the one before it when it comes
// last ("dddd, d. MMMM yyyy" loses " yyyy", "yyyy年M月d日" loses "yyyy年", and
// "yyyy년 M월 d일 dddd" loses " dddd" but keeps the day's "일").
void remove(std::vector<Piece>& pieces, const std::function<bool(const Piece&)>& unwanted) {
    auto isField = [](const Piece& p) { return p.isField(); };
    for (;;) {
        auto found = std::find_if(pieces.begin(), pieces.end(),
                                  [&](const Piece& p) { return p.isField() && unwanted(p); });
        if (found == pieces.end()) return;
        auto next = std::find_if(found + 1, pieces.end(), isField);
        if (next != pieces.end()) {
            pieces.erase(found, next);
            continue;
        }
        pieces.erase(found, pieces.end());
        if (!pieces.empty() && !pieces.back().isField()) {
            QString& between = pieces.back().raw;
            between.truncate(suffixLength(between));
            if (between.isEmpty()) pieces.pop_back();
        }
    }
}

bool isYear(const Piece& piece) {
    return piece.letter == 'y';
}
bool isWeekday(const Piece& piece) {
    return piece.letter == 'd' && piece.raw.size() >= 3;
}

void abbreviateNames(std::vector<Piece>& pieces) {
    for (Piece& piece : pieces)
        if ((piece.letter == 'd' || piece.letter == 'M') && piece.raw.size() == 4)
            piece.raw.chop(1);
}

std::vector<Piece> longDate(const QLocale& locale) {
    return split(locale.dateFormat(QLocale::LongFormat));
}

} // namespace

QDateTime local(Date date) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(date.time_since_epoch());
    return QDateTime::fromMSecsSinceEpoch(ms.count()).toLocalTime();
}

QString weekdayDayMonth(QDate date, const QLocale& locale, Names names) {
    std::vector<Piece> pieces = longDate(locale);
    remove(pieces, isYear);
    if (std::none_of(pieces.begin(), pieces.end(), isWeekday))
        pieces.insert(pieces.begin(), {{"dddd", 'd'}, {" ", QChar()}});
    if (names == Names::abbreviated) abbreviateNames(pieces);
    return locale.toString(date, join(pieces));
}

QString dayMonthYear(QDate date, const QLocale& locale) {
    std::vector<Piece> pieces = longDate(locale);
    remove(pieces, isWeekday);
    abbreviateNames(pieces);
    return locale.toString(date, join(pieces));
}

QString hourMinute(QTime time, const QLocale& locale) {
    std::vector<Piece> pieces = split(locale.timeFormat(QLocale::ShortFormat));
    remove(pieces,
           [](const Piece& p) { return p.letter == 's' || p.letter == 'z' || p.letter == 't'; });
    return locale.toString(time, join(pieces));
}

QString withTime(const QString& date, QTime time, const QLocale& locale) {
    return date + ", " + hourMinute(time, locale);
}

} // namespace kelvora::LocaleDates
