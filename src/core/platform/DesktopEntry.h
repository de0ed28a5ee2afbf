#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvora {

// One desktop entry file (an application's menu entry, an autostart entry) as the freedesktop
// rules read it: only the keys of its [Desktop Entry] group count, values have their escapes
// read, and localised keys ("Name[fr]") are chosen by the user's language. Files of the same
// form with other groups (a systemd unit's [Service]) are read one group at a time.
class DesktopEntry {
public:
    // Entries are a few kilobytes; anything near this is not one.
    static constexpr std::size_t kMaxBytes = 1 << 20;
    static constexpr std::string_view kMainGroup = "[Desktop Entry]";

    // None for a missing, unreadable or larger file.
    static std::optional<DesktopEntry> read(const std::string& path,
                                            std::string_view group = kMainGroup);
    static DesktopEntry parse(std::string text, std::string_view group = kMainGroup);

    // The value of `key` with its escapes read (\s, \n, \t, \r, \\); none when absent or
    // when it ends in a lone backslash. Of a key written twice in the group the last line
    // counts, as GLib and KDE read it.
    std::optional<std::string> value(std::string_view key) const;
    // `key` in the language of `locale` ("fr_CH.UTF-8@euro"): key[fr_CH@euro], key[fr_CH],
    // key[fr@euro], key[fr], then key itself.
    std::optional<std::string> localized(std::string_view key, std::string_view locale) const;
    // True only for the value "true".
    bool flag(std::string_view key) const;
    // A list value ("GNOME;KDE;"), its empty pieces dropped.
    std::vector<std::string> list(std::string_view key) const;

    // Every key of the group, in file order, each once.
    std::vector<std::string> keys() const;

    // The words of Exec (or of another key of the same form) as GLib reads them: the value's
    // escapes, then its field codes (%f, %U…) left out and "%%" read as "%", then the shell's
    // quoting. Empty without the key; none when its quoting cannot be read (a quote left
    // open, a backslash at the end), so that what it runs is unknown.
    std::optional<std::vector<std::string>> execWords(std::string_view key = "Exec") const;
    // The program Exec runs: the first word of commandThroughEnv. Characters of `marks`
    // leading the first word (systemd's "-@:+!") are not part of it.
    std::optional<std::string> program(std::string_view key = "Exec",
                                       std::string_view marks = "") const;
    // Whether a desktop among `desktops` (XDG_CURRENT_DESKTOP's parts) shows the entry under
    // OnlyShowIn and NotShowIn. Without a desktop named, only an OnlyShowIn entry hides.
    bool showsIn(const std::vector<std::string>& desktops) const;

    // The texts below change only what they say: every other byte stays, line ends (CRLF
    // too), spacing around '=' and a missing last line end included.

    // The entry's text with `key` set to `value` in its group, in the key's last line or in
    // a line added after the group's last key.
    std::string withValue(std::string_view key, std::string_view value) const;
    // With every line of `key` in the group that reads `from` set to `to`.
    std::string withValueReplaced(std::string_view key, std::string_view from,
                                  std::string_view to) const;
    // With a line `key=value` added after the group's last key (after its header when it has
    // none, in a new group when there is none), ending as the lines around it end.
    std::string withLineAdded(std::string_view key, std::string_view value) const;
    // Without the group's last key line, when it reads exactly `key=value`, as withLineAdded
    // adds it; none otherwise.
    std::optional<std::string> withoutLastLine(std::string_view key, std::string_view value) const;
    const std::string& text() const { return text_; }

private:
    struct Key {
        std::string key;
        std::string rawValue;
    };
    std::string text_;
    std::string group_;
    std::vector<Key> keys_; // the group's, in file order

    const std::string* rawValue(std::string_view key) const; // of the key's last line
};

// The command a command line's words run once a leading `env` is read through as env reads
// its arguments: its options (-i, -0, -v, -u NAME, -C DIR, -S "STRING" split into words,
// their long forms and "--"), then VAR=value words. Empty when env is given no command. Where
// env's words cannot be read for sure (an option it is not known to take, a split string
// with quotes, escapes or variables), the command stays the words from `env` on, and `env`
// tells nothing of what it starts.
std::vector<std::string> commandThroughEnv(std::vector<std::string> words);

// The user's language for localised keys: LC_ALL, then LC_MESSAGES, then LANG ("C" when
// none is set).
std::string messagesLocale();

// The current desktop's names from XDG_CURRENT_DESKTOP ("ubuntu:GNOME" has two).
std::vector<std::string> currentDesktops();

} // namespace kelvora
