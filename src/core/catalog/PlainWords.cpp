#include "catalog/PlainWords.h"

#include "model/Format.h"
#include "platform/Calendar.h"
#include "platform/Text.h"

namespace kelvora::PlainWords {

std::string fill(std::string_view format, std::initializer_list<Value> values) {
    static constexpr std::string_view kText = "%@", kNumber = "%lld";
    std::string out;
    auto next = values.begin();
    size_t at = 0;
    while (at < format.size()) {
        size_t mark = format.find('%', at);
        if (mark == std::string_view::npos) mark = format.size();
        out.append(format.substr(at, mark - at));
        if (mark == format.size()) break;
        std::string_view rest = format.substr(mark);
        size_t length = startsWith(rest, kText)     ? kText.size()
                        : startsWith(rest, kNumber) ? kNumber.size()
                                                    : 0;
        if (length > 0 && next != values.end()) {
            out += (next++)->text();
        } else if (startsWith(rest, "%%")) {
            out += '%';
            length = 2;
        } else {
            length = length > 0 ? length : 1;
            out.append(rest.substr(0, length));
        }
        at = mark + length;
    }
    return out;
}

std::string plural(std::string_view noun, int64_t count) {
    std::string word(noun);
    if (count != 1) word += 's';
    return word;
}

std::string counted(int64_t count, std::string_view noun) {
    return Format::count(count) + " " + plural(noun, count);
}

std::string homeRelativePath(const std::string& path, const std::string& home) {
    std::string shown = replacingAll(path, "/private/var/", "/var/");
    std::string base =
        home.size() > 1 && endsWith(home, "/") ? home.substr(0, home.size() - 1) : home;
    // "/home/al" must not turn "/home/alice/notes" into "~ice/notes".
    if (base.empty() || base == "/" || !startsWith(shown, base)) return shown;
    if (shown.size() == base.size() || shown[base.size()] == '/')
        return "~" + shown.substr(base.size());
    return shown;
}

std::string shortMonthDate(Date date) {
    return Calendar::formatLocal(date, "%b %Y");
}

std::string longMonthDate(Date date) {
    return Calendar::formatLocal(date, "%B %Y");
}

} // namespace kelvora::PlainWords
