#pragma once

#include "design/Theme.h"

#include <QWidget>

namespace kelvora {

// A 1 px separator in the line colour, across the width (horizontal) or down the height
// (vertical) it is given.
class Hairline : public QWidget {
    Q_OBJECT

public:
    explicit Hairline(Qt::Orientation orientation, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A plain area filled with one colour token, for the parts of a pane with a ground of
// their own.
class Filled : public QWidget {
    Q_OBJECT

public:
    explicit Filled(Token token, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Token token_;
};

} // namespace kelvora
