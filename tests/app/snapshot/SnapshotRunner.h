#pragma once

#include "app/design/Pictures.h"
#include "app/support/IsolatedHome.h"
#include "app/support/RunKelvora.h"

#include "platform/FileSystem.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QRectF>

#include <string>
#include <vector>

namespace kelvora::testing {

// Runs `kelvora --snapshot` as a user would, on an isolated home.
class SnapshotRunner : public ::testing::Test {
protected:
    IsolatedHome env;

    RunResult snapshot(const std::string& output, const std::vector<std::string>& options) {
        std::vector<std::string> arguments{"--snapshot", output};
        arguments.insert(arguments.end(), options.begin(), options.end());
        // No display and no platform named: the run must pick the off-screen one itself.
        return runKelvora(arguments,
                          {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"QT_QPA_PLATFORM", ""}},
                          env.tmp());
    }

    // Nothing of the demo folders is left behind.
    bool demoFoldersGone() const {
        for (const auto& entry : listFolder(URL::fileURL(env.tmp(), true)).entries)
            if (entry.name.rfind("kelvora-demo-", 0) == 0) return false;
        return true;
    }
};

inline std::string lastLine(const std::string& out) {
    std::string text = out;
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text.substr(text.rfind('\n') + 1);
}

// Flat fills are matched closely: the ground, the sidebar and the chip lie only a few steps
// apart.
constexpr int kTolerance = 3;

// At least `atLeast` device pixels of the logical rectangle carry the colour, or, with
// `atLeast` 0, none does.
inline void expectShare(const QImage& image, const char* what, const QRectF& rect,
                        const QColor& color, int atLeast) {
    const int count = countNear(image, rect, color, kTolerance);
    if (atLeast == 0)
        EXPECT_EQ(count, 0) << what;
    else
        EXPECT_GE(count, atLeast) << what;
}

} // namespace kelvora::testing
