#include "design/LocaleNumbers.h"

#include "model/Format.h"

#include <QLocale>

namespace kelvora::LocaleNumbers {

void groupCountsByLocale() {
    Format::useCountStyle(
        [](int64_t n) { return QLocale().toString(static_cast<qlonglong>(n)).toStdString(); });
}

} // namespace kelvora::LocaleNumbers
