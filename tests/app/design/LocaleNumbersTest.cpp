#include "design/LocaleNumbers.h"
#include "model/Format.h"
#include "panes/Copy.h"
#include "panes/SearchText.h"
#include "window/SimpleState.h"

#include <gtest/gtest.h>

#include <QLocale>

namespace kelvora::testing {
namespace {

// Counts come from the same locale data as the dates, so a French desktop reads them grouped
// as French is written even where the C library has no French installed.
TEST(LocaleNumbersTest, CountsAreGroupedAsTheUsersLocaleGroupsThem) {
    const QLocale saved;
    LocaleNumbers::groupCountsByLocale();
    ScanResult result;
    result.filesLookedAt = 214'386;
    result.duration = 6;
    const std::vector<CleanReport::Failure> failures(1'204, {URL::fileURL("/x"), "in use"});
    struct Case {
        const char* locale;
        const char* checked;
        const char* picked;
        const char* notMoved;
    } cases[] = {
        {"en_US", "Kelvora checked 214,386 files in 6 seconds", "1,204 found · 2,000 picked",
         "1,204 items couldn’t be moved. In use."},
        {"de_DE", "Kelvora checked 214.386 files in 6 seconds", "1.204 found · 2.000 picked",
         "1.204 items couldn’t be moved. In use."},
        {"fr_FR", "Kelvora checked 214\u202F386 files in 6 seconds",
         "1\u202F204 found · 2\u202F000 picked", "1\u202F204 items couldn’t be moved. In use."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.locale);
        QLocale::setDefault(QLocale(c.locale));
        EXPECT_EQ(SimpleText::scanStatus(result), c.checked);
        EXPECT_EQ(SearchText::countLine(1'204, 2'000).toStdString(), c.picked);
        EXPECT_EQ(Copy::notMoved(failures), c.notMoved);
    }
    QLocale::setDefault(saved);
    Format::useCountStyle({});
}

} // namespace
} // namespace kelvora::testing
