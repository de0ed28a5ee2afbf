#pragma once

// The design system every view draws with, in one include. A view is a thin painter: it
// works out its texts and geometry from plain functions, then paints them with these.
//
//   Colours     Theme::ink(), Theme::color(Token::line): looked up inside paint code, never
//               stored, so a change of appearance shows at the next repaint. Pictures that
//               must not follow the desktop draw inside a Theme::Scope.
//   Faces       Fonts::text(13, QFont::DemiBold) for text, Fonts::number(34) for large
//               numbers, Fonts::mono(12) for sizes in lists and paths; sizes in logical
//               pixels.
//   Symbols     Symbols::paint(painter, "folder", box, 13, Theme::muted()).
//   Shapes      Shapes::fillRounded (cards, badges, buttons: continuous corners, a border
//               inside the edge), Shapes::hairline (1 px separators in Theme::line()).
//   Controls    VerdictBadge, PickBox, Meter, TextLinkButton, SignalButton, InkButton,
//               OutlineButton: widgets with keyboard focus and accessible names, each also
//               offering a static paint() for rows a delegate paints. Buttons emit
//               `clicked`; setKeyRole(KeyRole::confirm / cancel) gives them Return / Escape.
//   Text        TextFlow: a paragraph broken into lines once, for layouts to keep and paint
//               (runs may carry colour tokens; PlacedText adds where and in what colour).
//               PaintedText: the wrapped (or one-line, cut short) text widget of views built
//               from layouts. SelectableText: a path or command the user may select and copy.
//               paintTitleAndDetail: the two cut-short lines of a list row.
//   Surfaces    Hairline (a 1 px separator widget) and Filled (a ground of one token).
//   Progress    Spinner (standing alone); paintSpinner and SpinnerClock for a spinner a view
//               paints itself, turning only while shown and allowed to animate.
//   Containers  Scrolling (a pane's scroll area), RowStack (long lists: a model and a
//               delegate), Caption, ForecastLine, RollingNumber. Both scroll under a
//               ThinScroller; any other scroll area calls ThinScroller::attach(area).
//               PaintedRows: what a widget painting its own rows tells so that the
//               keyboard (Tab in, arrows, Space and Return, the focus ring) and assistive
//               technology reach them; RowStack already does it from its model's roles.
//   The dial    DialView; its numbers (ticks, arcs, needles, the spoken value) in
//               DialGeometry and Dial::.
//   Pictures    Snapshot::setSnapshot(root, true), then Render::widget(root, size) for a
//               QImage at ratio 2 and Render::writePng to save it. Nothing animates in a
//               picture, nor anywhere when KELVORA_REDUCE_MOTION=1 (Motion::animates).

#include "design/Buttons.h"
#include "design/Caption.h"
#include "design/DialGeometry.h"
#include "design/DialView.h"
#include "design/Fonts.h"
#include "design/ForecastLine.h"
#include "design/Meter.h"
#include "design/Motion.h"
#include "design/PaintedRows.h"
#include "design/PaintedText.h"
#include "design/PickBox.h"
#include "design/Render.h"
#include "design/RollingNumber.h"
#include "design/RowStack.h"
#include "design/RowText.h"
#include "design/Scrolling.h"
#include "design/SelectableText.h"
#include "design/Shapes.h"
#include "design/Snapshot.h"
#include "design/Spinner.h"
#include "design/Surfaces.h"
#include "design/Symbols.h"
#include "design/TextFlow.h"
#include "design/Theme.h"
#include "design/VerdictBadge.h"
