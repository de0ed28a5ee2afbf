#include "window/ScrollingContent.h"

#include <QPalette>
#include <QWidget>

namespace kelvora::ScrollingContent {

void seeThrough(QWidget* content) {
    QPalette palette = content->palette();
    palette.setBrush(QPalette::Window, Qt::transparent);
    palette.setBrush(QPalette::Base, Qt::transparent);
    content->setPalette(palette);
}

} // namespace kelvora::ScrollingContent
