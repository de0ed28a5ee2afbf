#include "design/Fonts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>

#include <fontconfig/fontconfig.h>

namespace kelvora::Fonts {

namespace {

bool dotoAvailable = false;
bool geistAvailable = false;

// Qt lists families but not PostScript names; fontconfig knows both, and Qt adds the
// registered files to fontconfig's application set, so one query covers them and the
// desktop's fonts alike.
bool hasPostScriptName(const char* name) {
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_POSTSCRIPT_NAME, reinterpret_cast<const FcChar8*>(name));
    FcObjectSet* fields = FcObjectSetBuild(FC_POSTSCRIPT_NAME, nullptr);
    FcFontSet* found = FcFontList(nullptr, pattern, fields);
    bool any = found && found->nfont > 0;
    if (found) FcFontSetDestroy(found);
    FcObjectSetDestroy(fields);
    FcPatternDestroy(pattern);
    return any;
}

QFont face(const QString& family, QFont::StyleHint hint, qreal size, QFont::Weight weight) {
    QFont font(family);
    font.setStyleHint(hint);
    font.setWeight(weight);
    setSize(font, size);
    return font;
}

qreal logicalDpi() {
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchY() : 96.0;
}

} // namespace

QString folder() {
    QString executableFolder = QCoreApplication::applicationDirPath();
    for (const QString& candidate :
         {executableFolder + "/Fonts", executableFolder + "/../share/kelvora/Fonts"})
        if (QFileInfo(candidate).isDir()) return QDir::cleanPath(candidate);
    return {};
}

void registerFonts() {
    QString found = folder();
    if (!found.isEmpty()) registerFonts(found);
}

int registerFonts(const QString& folder) {
    QDir dir(folder);
    if (!dir.exists()) return 0;
    int registered = 0;
    for (const QFileInfo& file : dir.entryInfoList(QDir::Files, QDir::Name)) {
        QString extension = file.suffix().toLower();
        if (extension != "ttf" && extension != "otf") continue;
        if (QFontDatabase::addApplicationFont(file.filePath()) >= 0) ++registered;
    }
    dotoAvailable = hasPostScriptName("Doto-Black");
    geistAvailable = QFontDatabase::families().contains("Geist");
    return registered;
}

bool hasDoto() {
    return dotoAvailable;
}

bool hasGeist() {
    return geistAvailable;
}

QFont text(qreal size, QFont::Weight weight) {
    return face(hasGeist() ? "Geist" : "DejaVu Sans", QFont::SansSerif, size, weight);
}

QFont number(qreal size) {
    if (hasDoto()) return face("Doto", QFont::Monospace, size, QFont::Black);
    return mono(size, QFont::Black);
}

QFont mono(qreal size, QFont::Weight weight) {
    QFont font = face("DejaVu Sans Mono", QFont::Monospace, size, weight);
    font.setFixedPitch(true);
    return font;
}

void setSize(QFont& font, qreal size) {
    font.setPointSizeF(size * 72.0 / logicalDpi());
}

} // namespace kelvora::Fonts
