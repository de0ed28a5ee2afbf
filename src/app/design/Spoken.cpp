#include "design/Spoken.h"

#include "design/Accessibility.h"

namespace kelvora {

bool Spoken::endsSentence(const QString& text) {
    return !text.isEmpty() && QStringLiteral(".!?…").contains(text.back());
}

QString Spoken::join(const QStringList& parts) {
    QString joined;
    for (const QString& raw : parts) {
        const QString part = raw.trimmed();
        if (part.isEmpty()) continue;
        if (!joined.isEmpty())
            joined += endsSentence(joined) ? QStringLiteral(" ") : QStringLiteral(", ");
        joined += part;
    }
    return joined;
}

SpokenText::SpokenText(QWidget* parent, QAccessible::Role role) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    Accessibility::markRole(*this, role);
    hide();
}

void SpokenText::say(const QString& words, const QRectF& place) {
    if (accessibleName() != words) setAccessibleName(words);
    setGeometry(place.toAlignedRect());
    setVisible(!words.isEmpty());
}

void SpokenText::sayItems(const std::vector<std::pair<QString, QRectF>>& items,
                          QAccessible::Role role) {
    while (items_.size() > items.size()) {
        delete items_.back();
        items_.pop_back();
    }
    for (size_t i = 0; i < items.size(); ++i) {
        if (i == items_.size()) items_.push_back(new SpokenText(this, role));
        Accessibility::markRole(*items_[i], role);
        items_[i]->say(items[i].first, items[i].second.translated(-QPointF(pos())));
    }
}

} // namespace kelvora
