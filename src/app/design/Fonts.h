#pragma once

#include <QFont>
#include <QString>

namespace kelvora {

// The two faces every text is set in, and the sizes they are set at.
//
// Sizes are logical pixels (one design point is one logical pixel) and may be fractional:
// `Fonts::text(12.5, QFont::DemiBold)`. Never use QFont::setPointSizeF directly; it assumes
// 72 dots per inch and comes out about a third too large. The font keeps the exact size,
// but Qt 6.4 sets type at whole logical pixels, so 12.5 is drawn at 13 (26 device pixels
// in a picture at ratio 2).
//
// - `text(size, weight)`: every ordinary text. "Geist" when it is available, else DejaVu Sans.
// - `number(size)`: numbers shown large (sizes, counts, totals). "Doto" Black when it is
//   available, else the heavy weight of DejaVu Sans Mono, so digits keep one width.
// - `mono(size, weight)`: the monospaced face of sizes in lists, paths and badges.
//
// The fallbacks are fixed families, not whatever the desktop would pick, so a picture comes
// out the same on every machine that has the DejaVu fonts.
namespace Fonts {

// Registers, for this process only, every file directly inside the application's "Fonts"
// folder whose extension is .ttf or .otf in any case (not sub-folders, collections or web
// fonts); a file that can't be loaded is skipped. Then sets the two flags below from the
// fonts now available, the desktop's own included. Without a "Fonts" folder nothing
// changes. Call once, before drawing anything.
void registerFonts();
// The same over the given folder; the number of files registered.
int registerFonts(const QString& folder);
// The "Fonts" folder beside the executable, else the installed one (share/kelvora/Fonts
// next to bin/); empty when neither exists.
QString folder();

// Whether a face with the PostScript name "Doto-Black" is available.
bool hasDoto();
// Whether a family named exactly "Geist" is available.
bool hasGeist();

QFont text(qreal size, QFont::Weight weight = QFont::Normal);
QFont number(qreal size);
QFont mono(qreal size, QFont::Weight weight = QFont::Normal);

// Sets a font's size in logical pixels, fractions kept.
void setSize(QFont& font, qreal size);

} // namespace Fonts
} // namespace kelvora
