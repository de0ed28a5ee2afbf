#pragma once

#include "design/Theme.h"

#include <QWidget>

namespace kelvora {

// A 1 px separator in the line colour, across the width (horizontal) or down the height
// (vertical) it is given, for views built from layouts.
class Hairline : public QWidget {
    Q_OBJECT

public:
    explicit Hairline(Qt::Orientation orientation, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Qt::Orientation orientation_;
};

// An area filled with one colour token, looked up at each paint: the ground of headers,
// footers and inspectors.
class Filled : public QWidget {
    Q_OBJECT

public:
    explicit Filled(Token fill, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Token fill_;
};

} // namespace kelvora
