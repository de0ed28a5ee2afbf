#include "panes/SpaceMapView.h"

#include "controller/AppModel.h"
#include "design/Buttons.h"
#include "design/Focus.h"
#include "design/Fonts.h"
#include "design/Motion.h"
#include "design/PaintedText.h"
#include "design/QtString.h"
#include "design/Spinner.h"
#include "design/Surfaces.h"
#include "design/Theme.h"
#include "panes/PaneParts.h"
#include "panes/SpaceMapCanvas.h"
#include "panes/SpaceMapParts.h"
#include "panes/SpaceMapText.h"

#include <QApplication>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QPainter>
#include <QPointer>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace kelvora {

namespace {

enum Page { measuringPage, emptyPage, mapPage };
enum MapPage { tilesPage, nothingPage };

PaintedText* centred(const QString& text, const QFont& font, Token colour, QWidget* parent) {
    auto* label = new PaintedText(font, colour, parent);
    label->setWrapping(false);
    label->setText(text);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

} // namespace

SpaceMapView::SpaceMapView(AppModel& model, int maxTiles, QWidget* parent)
    : QWidget(parent), model_(model), folder_(maxTiles), header_(new SpaceMapHeader(this)),
      content_(new QStackedWidget(this)),
      spinner_(new Spinner(32, {12, 7.5, 15, 2.6, 0.2}, 80, this)),
      measuringText_(centred({}, Fonts::text(14), Token::muted, this)),
      mapOrNothing_(new QStackedWidget(this)), canvas_(new SpaceMapCanvas(folder_, this)),
      privateLine_(new SymbolLabel(12, QFont::Normal, Token::faint, this)),
      inspector_(new SpaceMapInspector(this)), siblings_(maxTiles) {
    setObjectName("SpaceMapView");

    auto* measuring = new QWidget(content_);
    auto* measuringColumn = new QVBoxLayout(measuring);
    measuringColumn->setSpacing(12);
    measuringColumn->addStretch(1);
    spinner_->setAccessibleName("In progress");
    measuringColumn->addWidget(spinner_, 0, Qt::AlignHCenter);
    measuringColumn->addWidget(measuringText_);
    measuringColumn->addWidget(
        centred(SpaceMapText::kOnlyReading, Fonts::text(12.5), Token::faint, measuring));
    measuringColumn->addStretch(1);

    mapOrNothing_->addWidget(canvas_);
    mapOrNothing_->addWidget(
        centred(SpaceMapText::kNothingHere, Fonts::text(14), Token::muted, mapOrNothing_));
    auto* map = new QWidget(content_);
    auto* mapColumn = new QVBoxLayout(map);
    mapColumn->setContentsMargins(16, 16, 16, 16);
    mapColumn->setSpacing(10);
    mapColumn->addWidget(mapOrNothing_, 1);
    mapColumn->addWidget(privateLine_);

    content_->addWidget(measuring);
    content_->addWidget(new QWidget(content_));
    content_->addWidget(map);

    auto* mainColumn = new QVBoxLayout;
    mainColumn->setContentsMargins(0, 0, 0, 0);
    mainColumn->setSpacing(0);
    mainColumn->addWidget(header_);
    mainColumn->addWidget(new Hairline(Qt::Horizontal, this));
    mainColumn->addWidget(content_, 1);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addLayout(mainColumn, 1);
    row->addWidget(new Hairline(Qt::Vertical, this));
    row->addWidget(inspector_);

    connect(header_, &SpaceMapHeader::zoom, this, &SpaceMapView::zoom);
    connect(header_, &SpaceMapHeader::chooseFolder, this, &SpaceMapView::chooseFolder);
    connect(canvas_, &SpaceMapCanvas::opened, this, &SpaceMapView::zoom);
    connect(canvas_, &SpaceMapCanvas::up, this, [this] {
        if (folder_.isEmpty()) return;
        const URL& folder = *folder_.folder();
        if (SpaceMapText::showsBack(folder_.map()->root(), folder))
            zoom(SpaceMapText::backTarget(folder));
    });
    connect(canvas_, &SpaceMapCanvas::selected, this,
            [this](std::optional<URL> url) { model_.setMapSelection(std::move(url)); });
    connect(inspector_, &SpaceMapInspector::open, this, &SpaceMapView::zoom);
    connect(inspector_, &SpaceMapInspector::reveal, this,
            [this](const URL& url) { model_.showInFolder({url}); });
    model_.follow({&AppModel::spaceMapChanged}, this, &SpaceMapView::refresh);
    refresh();
}

// The selection goes first, so the tiles of the new folder may choose one for the keyboard.
void SpaceMapView::zoom(const URL& folder) {
    model_.setMapSelection(std::nullopt);
    model_.setMapFolder(folder);
}

void SpaceMapView::chooseFolder() {
    const Focus::Input asked = Focus::inputNow();
    QPointer<QWidget> had = QApplication::focusWidget();
    QFileDialog dialog(this);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setLabelText(QFileDialog::Accept, "Map this folder");
    dialog.setDirectory(toQString(model_.scanner().home.path()));
    const bool chosen = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    // Back in the window, the keyboard is where it was, whatever the dialog left active.
    window()->activateWindow();
    if (had && had->isVisible()) Focus::give(*had, asked);
    if (!chosen) return;
    tilesAfterMeasuring_ = asked == Focus::Input::keyboard;
    model_.measureSpace(URL::fileURL(dialog.selectedFiles().front().toStdString(), true));
}

void SpaceMapView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    model_.measureHomeUnlessMapped();
}

void SpaceMapView::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), Theme::ground());
}

void SpaceMapView::refresh() {
    bool hadFolder = !folder_.isEmpty();
    if (folder_.show(model_.spaceMap(), model_.mapFolder())) {
        canvas_->tilesChanged(hadFolder);
        refreshHeader();
    }
    canvas_->setSelection(model_.mapSelection());
    refreshContent();
    refreshInspector();
    goOnToTiles();
}

// Once the folder the keyboard chose is measured, the keyboard goes on to its tiles; not
// before the window is active again, which the dialog may leave it not yet.
void SpaceMapView::goOnToTiles() {
    if (!tilesAfterMeasuring_ || model_.measuring() || !window()->isActiveWindow()) return;
    tilesAfterMeasuring_ = false;
    if (QApplication::focusWidget() == header_->choose() && canvas_->isVisible())
        Focus::give(*canvas_, Focus::Input::keyboard);
}

bool SpaceMapView::event(QEvent* event) {
    // The window gives its focus back only after it says it is active.
    if (event->type() == QEvent::WindowActivate)
        QMetaObject::invokeMethod(this, &SpaceMapView::goOnToTiles, Qt::QueuedConnection);
    return QWidget::event(event);
}

void SpaceMapView::refreshHeader() {
    if (folder_.isEmpty()) {
        header_->show(std::nullopt);
        return;
    }
    const URL& root = folder_.map()->root();
    const URL& folder = *folder_.folder();
    std::optional<int64_t> size = folder_.map()->size(folder);
    header_->show(SpaceMapHeading{SpaceMapText::showsBack(root, folder),
                                  SpaceMapText::backTarget(folder),
                                  SpaceMapText::breadcrumb(root, folder, model_.scanner().home),
                                  size ? std::optional(Format::sizeParts(*size)) : std::nullopt});
}

void SpaceMapView::refreshContent() {
    if (model_.measuring()) {
        measuringText_->setText(toQString(SpaceMapText::measuringText(model_.measuredFiles())));
        content_->setCurrentIndex(measuringPage);
        return;
    }
    if (folder_.isEmpty()) {
        content_->setCurrentIndex(emptyPage);
        return;
    }
    content_->setCurrentIndex(mapPage);
    mapOrNothing_->setCurrentIndex(folder_.tiles().empty() ? nothingPage : tilesPage);
    privateLine_->setVisible(folder_.privateLine().has_value());
    if (folder_.privateLine()) privateLine_->setContent("lock", toQString(*folder_.privateLine()));
}

void SpaceMapView::refreshInspector() {
    Inspected now{model_.spaceMap(), model_.mapFolder(), model_.mapSelection()};
    if (inspected_ == now) return;
    inspected_ = now;
    std::optional<SpaceMapText::Inspection> inspection;
    if (now.map && now.selection) {
        if (auto entry = SpaceMapText::selectedEntry(*now.selection, siblingsOf(*now.selection))) {
            std::optional<int64_t> folderSize;
            if (now.folder) folderSize = now.map->size(*now.folder);
            // The guide answers of a cache as the App caches category does.
            FolderGuide::CacheRules caches{
                model_.mapCacheRoots(), [this](const std::string& folder) {
                    return std::optional<std::string>(model_.catalog().cacheName(folder));
                }};
            inspection =
                SpaceMapText::inspect(*entry, folderSize, model_.scanner().home, {}, caches);
        }
    }
    inspector_->show(inspection);
}

const std::vector<SpaceMap::Entry>& SpaceMapView::siblingsOf(const URL& selection) {
    URL parent = selection.deletingLastPathComponent();
    if (folder_.map() == model_.spaceMap() && folder_.folder() &&
        folder_.folder()->path() == parent.path())
        return folder_.children();
    siblings_.show(model_.spaceMap(), parent);
    return siblings_.children();
}

} // namespace kelvora
