#pragma once

// The code generator of Qt cannot read every standard header; it needs none of these.
#ifndef Q_MOC_RUN
#include "model/CleanReport.h"
#include "model/ScanItem.h"
#include "model/ScanResult.h"
#include "platform/Url.h"
#endif

#include <QObject>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace kelvora {

// What the menu bar extra knows and does on its own, apart from the window's controller:
// the disk and its forecast, the app caches that could be cleared right now, and the quick
// clean that deletes them (they rebuild by themselves, so nothing goes on the Undo Shelf).
// It runs nothing on a timer: the popup refreshes it each time it opens. Lives on the main
// thread; scanning and deleting run on pool threads.
class MenuBarModel : public QObject {
    Q_OBJECT

public:
    struct State {
        enum class Kind { checking, ready, cleaning, cleaned };
        Kind kind = Kind::checking;
        // ready: the bytes of the caches found; cleaned: the bytes the quick clean freed.
        int64_t bytes = 0;

        static State checking() { return {}; }
        static State ready(int64_t bytes) { return {Kind::ready, bytes}; }
        static State cleaning() { return {Kind::cleaning, 0}; }
        static State cleaned(int64_t bytes) { return {Kind::cleaned, bytes}; }
        bool operator==(const State&) const = default;
    };

    // The outside world, each with a live default; tests put their own in place.
    struct Environment {
        std::function<DiskSpace()> diskSpace;
        std::function<URL()> historyFile;
        // Called on a pool thread.
        std::function<std::vector<ScanItem>()> scanCaches;
        // Called on a pool thread; deletes without a shelf.
        std::function<CleanReport(const std::vector<ScanItem>&)> clean;

        static Environment live();
    };

    explicit MenuBarModel(Environment environment = Environment::live(), QObject* parent = nullptr);

    const DiskSpace& disk() const { return disk_; }
    const std::optional<double>& forecastDays() const { return forecastDays_; }
    const State& state() const { return state_; }
    // The caches of the last check that may go; a quick clean removes exactly these.
    const std::vector<ScanItem>& caches() const { return caches_; }

    // Re-reads the disk and the forecast and, unless a quick clean runs, checks the caches.
    void refresh();
    // Clears the caches of the last check; only when it found at least a byte.
    void quickClean();

signals:
    void changed();

private:
    void readForecast();
    void checked(uint64_t check, std::vector<ScanItem> items);
    void cleaned(const CleanReport& report);

    Environment environment_;
    DiskSpace disk_;
    std::optional<double> forecastDays_;
    State state_;
    std::vector<ScanItem> caches_;
    // Every check and clean takes the next number; a check's result counts only when
    // nothing started after it has shown its own result yet.
    uint64_t started_ = 0;
    uint64_t shown_ = 0;
};

} // namespace kelvora
