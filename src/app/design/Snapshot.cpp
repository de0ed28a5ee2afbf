#include "design/Snapshot.h"

#include <QVariant>
#include <QWidget>

namespace kelvora::Snapshot {

namespace {

constexpr const char* kProperty = "kelvoraSnapshot";
bool defaultValue = false;

} // namespace

bool isSnapshot(const QWidget* widget) {
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        QVariant value = w->property(kProperty);
        if (value.isValid()) return value.toBool();
    }
    return defaultValue;
}

void setSnapshot(QWidget* widget, bool snapshot) {
    widget->setProperty(kProperty, snapshot);
}

bool processDefault() {
    return defaultValue;
}

void setProcessDefault(bool snapshot) {
    defaultValue = snapshot;
}

} // namespace kelvora::Snapshot
