#pragma once

#include "controller/Receipt.h"
#include "entry/Arguments.h"
#include "model/ScanResult.h"

#include <QByteArray>
#include <QImage>

#include <functional>
#include <optional>
#include <string>

namespace kelvora {
class RootView;
}

namespace kelvora::Snapshot {

// What a snapshot run reaches outside itself, each with a live default.
struct Environment {
    // A scan of the user's own disk.
    std::function<ScanResult()> scanDisk;
    // The receipt as PNG bytes; nothing when it cannot be drawn.
    std::function<std::optional<QByteArray>(const Receipt&)> receiptPng;
    // One line of the run's account, without its newline.
    std::function<void(const std::string&)> print;

    static Environment live();
};

inline constexpr qreal kScale = 2;

// Makes a still picture of the main window (or the receipt) on a scan of the disk, the
// marketing data or demo files, as the options ask, and writes it to the output path.
// Prints the scan's summary and what it wrote. Never opens a window, asks nothing and
// writes no setting. Returns the exit status: 1 when the picture could not be made or
// written, else 0.
int run(const SnapshotOptions& options, const Environment& environment = Environment::live());

// The window root drawn at its size (1280 × 820 unless asked otherwise) at twice the
// resolution, light or dark.
QImage renderWindow(RootView& root, bool dark, WindowSize size = {});

} // namespace kelvora::Snapshot
