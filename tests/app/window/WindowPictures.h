#pragma once

#include "app/design/Pictures.h"

#include "controller/AppModel.h"
#include "design/Snapshot.h"
#include "design/Theme.h"
#include "window/RootView.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace kelvora::testing {

// The window of a controller drawn for a still picture at the smallest size (1100 × 720)
// and the default one (1280 × 820), light and dark. Each picture is kept as
// "<name>-<width>-<light|dark>" and handed to `check` with the window it was drawn from.
inline void forEachWindowPicture(
    AppModel& model, const std::string& name,
    const std::function<void(RootView& root, const QImage& image, QSize size)>& check) {
    for (QSize size : {QSize(1100, 720), QSize(1280, 820)}) {
        for (Appearance appearance : {Appearance::light, Appearance::dark}) {
            const std::string shade = appearance == Appearance::dark ? "dark" : "light";
            SCOPED_TRACE(std::to_string(size.width()) + " " + shade);
            Theme::Scope scope(appearance);
            RootView root(model, 0);
            Snapshot::setSnapshot(&root, true);
            root.applyForeground();
            QImage image = Render::widget(root, size);
            keepPicture(image, name + "-" + std::to_string(size.width()) + "-" + shade);
            check(root, image, size);
        }
    }
}

} // namespace kelvora::testing
