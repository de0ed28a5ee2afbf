#include "search/PlainQuery.h"

#include "search/PhrasePattern.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <tuple>

namespace kelvora {

namespace {

using Kind = PlainQuery::Kind;

using Pattern = PhrasePattern;

Pattern::Part countPart() {
    return Pattern::count({"a", "an", "one", "two", "three", "six"});
}

Pattern::Part unitPart() {
    return Pattern::words({"days", "day", "weeks", "week", "months", "month", "years", "year"},
                          true);
}

// over|above|...|<, blanks, a number, blanks, kb|mb|gb|tb
const Pattern& sizePattern() {
    static const Pattern pattern(
        {Pattern::words({"over", "above", "bigger than", "larger than", "more than", "greater than",
                         "at least", ">", "under", "below", "smaller than", "less than", "<"},
                        true),
         Pattern::blanks(), Pattern::number(), Pattern::blanks(),
         Pattern::words({"kb", "mb", "gb", "tb"}, true)});
    return pattern;
}

// not opened|haven't opened|unused|not used, then optionally in|for|since, a count, a unit
const Pattern& notOpenedPattern() {
    static const Pattern pattern(
        {Pattern::words({"not opened", "haven't opened", "havent opened", "unused", "not used"}),
         Pattern::blanks(), Pattern::optionalWords({"in", "for", "since"}), Pattern::blanks(),
         countPart(), Pattern::blanks(), unitPart()});
    return pattern;
}

const Pattern& olderThanPattern() {
    static const Pattern pattern({Pattern::words({"older than"}), Pattern::blanks(), countPart(),
                                  Pattern::blanks(), unitPart()});
    return pattern;
}

const Pattern& inTheLastPattern() {
    static const Pattern pattern({Pattern::words({"from the last", "in the last"}),
                                  Pattern::blanks(), countPart(), Pattern::blanks(), unitPart()});
    return pattern;
}

const Pattern& agoPattern() {
    static const Pattern pattern(
        {countPart(), Pattern::blanks(), unitPart(), Pattern::words({" ago"})});
    return pattern;
}

const Pattern& beforeYearPattern() {
    static const Pattern pattern({Pattern::words({"before "}), Pattern::digits(4)});
    return pattern;
}

const Pattern& inYearPattern() {
    static const Pattern pattern({Pattern::words({"from ", "in "}), Pattern::digits(4)});
    return pattern;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::string lowercasedASCII(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

void replaceAll(std::string& text, const std::string& what, const std::string& with) {
    if (what.empty()) return;
    for (size_t at = text.find(what); at != std::string::npos;
         at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
}

// Length in bytes of the white space or line break (ASCII or Unicode) at `at`, or 0.
size_t blankLength(const std::string& text, size_t at) {
    static const std::string_view wide[] = {"\u0085", "\u00A0", "\u1680", "\u2000", "\u2001",
                                            "\u2002", "\u2003", "\u2004", "\u2005", "\u2006",
                                            "\u2007", "\u2008", "\u2009", "\u200A", "\u2028",
                                            "\u2029", "\u202F", "\u205F", "\u3000"};
    if (std::string_view(" \t\n\r\v\f").find(text[at]) != std::string_view::npos) return 1;
    for (std::string_view blank : wide)
        if (text.compare(at, blank.size(), blank) == 0) return blank.size();
    return 0;
}

std::string trimmed(const std::string& text) {
    size_t first = 0, last = text.size();
    while (first < last && blankLength(text, first) > 0)
        first += blankLength(text, first);
    // Trailing blanks: step back over the last UTF-8 character while it is one.
    while (last > first) {
        size_t start = last - 1;
        while (start > first && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80)
            --start;
        if (blankLength(text, start) != last - start) break;
        last = start;
    }
    return text.substr(first, last - first);
}

template <typename Int> std::optional<Int> integerValue(const std::string& text) {
    Int value{};
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// ---- Quoted names ----

constexpr std::string_view kStraightQuote = "\"";
constexpr std::string_view kLeftQuote = "\u201C";
constexpr std::string_view kRightQuote = "\u201D";

size_t utf8Length(unsigned char lead) {
    if (lead < 0x80) return 1;
    if ((lead >> 5) == 0x6) return 2;
    if ((lead >> 4) == 0xE) return 3;
    if ((lead >> 3) == 0x1E) return 4;
    return 1;
}

bool startsWith(const std::string& text, size_t at, std::string_view part) {
    return text.compare(at, part.size(), part) == 0;
}

size_t closingQuoteLength(const std::string& text, size_t at) {
    if (startsWith(text, at, kStraightQuote)) return kStraightQuote.size();
    if (startsWith(text, at, kRightQuote)) return kRightQuote.size();
    return 0;
}

struct QuotedName {
    std::string whole;
    std::string name;
};

// The first straight or curly quoted run of at least one character, found character by
// character so that the curly quotes' bytes are never taken apart.
std::optional<QuotedName> firstQuotedName(const std::string& text) {
    for (size_t start = 0; start < text.size();
         start += utf8Length(static_cast<unsigned char>(text[start]))) {
        size_t open = startsWith(text, start, kStraightQuote) ? kStraightQuote.size()
                      : startsWith(text, start, kLeftQuote)   ? kLeftQuote.size()
                                                              : 0;
        if (open == 0) continue;
        size_t at = start + open;
        while (at < text.size() && closingQuoteLength(text, at) == 0)
            at += utf8Length(static_cast<unsigned char>(text[at]));
        // Without a closing quote here there is none after any later opening quote either.
        if (at >= text.size()) return std::nullopt;
        if (at == start + open) continue;
        size_t close = closingQuoteLength(text, at);
        return QuotedName{text.substr(start, at + close - start),
                          text.substr(start + open, at - start - open)};
    }
    return std::nullopt;
}

// ---- Counts and dates ----

int64_t count(const std::string& word) {
    static const std::pair<const char*, int64_t> numberWords[] = {
        {"a", 1}, {"an", 1}, {"one", 1}, {"two", 2}, {"three", 3}, {"six", 6}};
    for (const auto& [name, value] : numberWords)
        if (word == name) return value;
    if (word.empty()) return 1;
    return integerValue<int64_t>(word).value_or(1);
}

std::optional<Date> ago(int64_t n, const std::string& unit, Date now,
                        const QueryCalendar& calendar) {
    if (unit.rfind("day", 0) == 0) return calendar.addingDays(now, -n);
    if (unit.rfind("week", 0) == 0) {
        if (n > INT64_MAX / 7) return std::nullopt;
        return calendar.addingDays(now, -7 * n);
    }
    if (unit.rfind("month", 0) == 0) return calendar.addingMonths(now, -n);
    if (n > INT64_MAX / 12) return std::nullopt;
    return calendar.addingMonths(now, -12 * n);
}

// ---- The steps ----

// The home's Applications folder, named as the other folders are named.
constexpr const char* kInApplications = " in applications ";

void readKinds(const std::string& s, PlainQuery& query) {
    for (const auto& [kind, words] : PlainQuery::kindWords()) {
        bool found = false;
        for (const auto& word : words)
            if (contains(s, " " + word + " ")) {
                found = true;
                break;
            }
        if (!found) continue;
        bool haveScreenshots = std::find(query.kinds.begin(), query.kinds.end(),
                                         Kind::screenshots) != query.kinds.end();
        if (kind == Kind::videos && haveScreenshots && !contains(s, " video")) continue;
        query.kinds.push_back(kind);
    }
}

std::optional<int64_t> byteCount(const std::string& number, const std::string& unit) {
    double factor = unit == "kb" ? 1e3 : unit == "mb" ? 1e6 : unit == "tb" ? 1e12 : 1e9;
    double value = 0;
    std::from_chars(number.data(), number.data() + number.size(), value);
    double bytes = std::trunc(value * factor);
    // Sizes past what the field holds are not understood rather than wrapped.
    if (!(bytes < 9.2e18)) return std::nullopt;
    return static_cast<int64_t>(bytes);
}

bool setsMaximum(const std::string& word) {
    return word == "under" || word == "below" || word == "smaller than" || word == "less than" ||
           word == "<";
}

void readSizes(const std::string& s, PlainQuery& query) {
    for (const auto& match : sizePattern().allMatches(s)) {
        const auto& [word, number, unit] =
            std::tie(match.captures[0], match.captures[1], match.captures[2]);
        std::optional<int64_t> bytes = byteCount(number, unit);
        if (!bytes) continue;
        (setsMaximum(word) ? query.maxBytes : query.minBytes) = *bytes;
    }
    if (query.minBytes) return;
    if (contains(s, " huge ") || contains(s, " giant "))
        query.minBytes = 1'000'000'000;
    else if (contains(s, " big ") || contains(s, " large "))
        query.minBytes = 100'000'000;
}

void readNotOpened(const std::string& s, Date now, const QueryCalendar& calendar,
                   PlainQuery& query) {
    if (auto match = notOpenedPattern().firstMatch(s)) {
        query.notOpenedSince = ago(count(match->captures[0]), match->captures[1], now, calendar);
    } else if (contains(s, " not opened ") || contains(s, " never opened ") ||
               contains(s, " unused ")) {
        query.notOpenedSince = ago(6, "months", now, calendar);
    }
}

void readRelativeDates(const std::string& s, Date now, const QueryCalendar& calendar,
                       PlainQuery& query) {
    if (auto match = olderThanPattern().firstMatch(s))
        query.changedBefore = ago(count(match->captures[0]), match->captures[1], now, calendar);
    else if (auto match = inTheLastPattern().firstMatch(s))
        query.changedAfter = ago(count(match->captures[0]), match->captures[1], now, calendar);
    else if (auto match = agoPattern().firstMatch(s))
        query.changedBefore = ago(count(match->captures[0]), match->captures[1], now, calendar);
}

void readCalendarPhrases(const std::string& s, Date now, const QueryCalendar& calendar,
                         PlainQuery& query) {
    int year = calendar.civil(now).year;
    if (contains(s, " last year ")) {
        query.changedAfter = calendar.januaryFirst(year - 1);
        query.changedBefore = calendar.januaryFirst(year);
    } else if (contains(s, " this year ")) {
        query.changedAfter = calendar.januaryFirst(year);
    } else if (contains(s, " last month ")) {
        Date monthStart = calendar.startOfMonth(now);
        query.changedAfter = calendar.addingMonths(monthStart, -1);
        query.changedBefore = monthStart;
    } else if (contains(s, " this week ")) {
        query.changedAfter = calendar.startOfWeek(now);
    } else if (auto match = beforeYearPattern().firstMatch(s);
               match && integerValue<int64_t>(match->captures[0])) {
        query.changedBefore = calendar.januaryFirst(*integerValue<int64_t>(match->captures[0]));
    } else if (auto match = inYearPattern().firstMatch(s);
               match && integerValue<int64_t>(match->captures[0])) {
        int64_t from = *integerValue<int64_t>(match->captures[0]);
        query.changedAfter = calendar.januaryFirst(from);
        query.changedBefore = calendar.januaryFirst(from + 1);
    }
}

void readFolders(const std::string& s, bool applicationsFolder, PlainQuery& query) {
    struct FolderWords {
        const char* folder;
        std::vector<const char*> words;
        bool kindWord; // also names a kind: only "in pictures" and the like name the folder
    };
    // The Movies folder is called Videos on this system, so "in videos" names it too.
    static const std::vector<FolderWords> table = {
        {"Downloads", {"downloads"}, false},    {"Desktop", {"desktop"}, false},
        {"Documents", {"documents"}, false},    {"Pictures", {"pictures"}, true},
        {"Movies", {"movies", "videos"}, true}, {"Music", {"music"}, true}};
    for (const auto& [folder, words, kindWord] : table)
        if (std::any_of(words.begin(), words.end(), [&](const char* word) {
                return contains(s, (kindWord ? " in " : " ") + std::string(word) + " ");
            }))
            query.folders.push_back(folder);
    if (applicationsFolder && contains(s, kInApplications)) query.folders.push_back("Applications");
}

} // namespace

const std::vector<std::pair<Kind, std::vector<std::string>>>& PlainQuery::kindWords() {
    static const std::vector<std::pair<Kind, std::vector<std::string>>> table = {
        {Kind::screenshots,
         {"screenshot", "screenshots", "screen shot", "screen recording", "screen recordings"}},
        {Kind::videos,
         {"video", "videos", "movie", "movies", "clip", "clips", "recording", "recordings"}},
        {Kind::photos, {"photo", "photos", "image", "images", "picture", "pictures", "pics"}},
        {Kind::pdfs, {"pdf", "pdfs"}},
        {Kind::archives, {"zip", "zips", "archive", "archives"}},
        {Kind::diskImages, {"dmg", "dmgs", "installer", "installers", "disk image", "disk images"}},
        {Kind::audio, {"audio", "music", "song", "songs", "podcast", "podcasts"}},
        {Kind::apps, {"app", "apps", "application", "applications", "appimage", "appimages"}},
        {Kind::documents,
         {"document", "documents", "docs", "spreadsheet", "spreadsheets", "presentation",
          "presentations"}},
    };
    return table;
}

PlainQuery PlainQuery::parse(const std::string& text, Date now, const QueryCalendar& calendar,
                             bool applicationsFolder) {
    PlainQuery query;
    std::string s = " " + lowercasedASCII(text) + " ";
    std::replace(s.begin(), s.end(), ',', ' ');

    if (auto quoted = firstQuotedName(text)) {
        query.nameContains = quoted->name;
        // Commas inside the quotes were blanked in s as well.
        std::string whole = lowercasedASCII(quoted->whole);
        std::replace(whole.begin(), whole.end(), ',', ' ');
        replaceAll(s, whole, " ");
    }
    // Where the home has an Applications folder, "in Applications" names it and no kind.
    std::string kindWords = s;
    if (applicationsFolder) replaceAll(kindWords, kInApplications, " in ");
    readKinds(kindWords, query);
    readSizes(s, query);
    readNotOpened(s, now, calendar, query);
    readRelativeDates(s, now, calendar, query);
    readCalendarPhrases(s, now, calendar, query);
    readFolders(s, applicationsFolder, query);

    if (query.isEmpty()) {
        std::string name = trimmed(text);
        if (!name.empty()) query.nameContains = name;
    }
    return query;
}

} // namespace kelvora
