#pragma once

#include <QAccessible>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <utility>
#include <vector>

namespace kelvora {

namespace Spoken {

// The parts of what assistive technology reads of one thing (a row's detail, its verdict,
// its size), joined with commas. A part that ends a sentence is followed by a space only,
// so each sentence ends once; empty parts are left out.
QString join(const QStringList& parts);
// Whether `text` ends a sentence (a full stop, question or exclamation mark, or an ellipsis).
bool endsSentence(const QString& text);

} // namespace Spoken

// Words a view paints itself, for assistive technology to read where they are painted: a
// widget laid over the painted place that draws nothing and takes no input, heard with its
// role under the words as its name. A list's items are words of their own inside it.
class SpokenText : public QWidget {
public:
    explicit SpokenText(QWidget* parent, QAccessible::Role role = QAccessible::StaticText);

    // Says `words` from `place`, in the parent's coordinates; hidden while there are none.
    void say(const QString& words, const QRectF& place);
    // The items inside, each said from its place in the parent's coordinates, with `role`;
    // after `say`, which places this.
    void sayItems(const std::vector<std::pair<QString, QRectF>>& items,
                  QAccessible::Role role = QAccessible::ListItem);

private:
    std::vector<SpokenText*> items_;
};

} // namespace kelvora
