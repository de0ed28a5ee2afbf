#pragma once

#include "controller/AppModel.h"
#include "panes/Copy.h"
#include "window/TileView.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace kelvora {

// What the simple view reads of the controller, by reference: nothing is copied, so the
// view can work its state out again at every change.
struct SimpleInputs {
    const AppModel::Phase& phase;
    const PickList& picks;
    const std::optional<AppModel::ScanStep>& scanStep;
    DiskSpace initialDisk;
    DiskSpace diskNow;
    int64_t shelfBytes = 0;
    bool hasReceipt = false;
    std::optional<double> forecastDays;
    int shelfDays = 7;
    bool shelfEmptying = false; // "Free … now" is the work under way, not a put back
    // What a tile whose folder the scan could not read says of the closed folders and what
    // to check of them; read by the view only while such a tile shows.
    std::string accessNote;

    static SimpleInputs of(const AppModel& model);
};

// The "Also found, not picked yet" note, and where its "Review" goes: the one category it
// lists, or the overview when it lists several.
struct OptInLine {
    std::string text;
    std::optional<JunkKind> reviewCategory;
    bool operator==(const OptInLine&) const = default;
};

// Everything the simple view shows, worked out from the controller; the view only lays it out
// and paints it.
struct SimpleState {
    // What closes the summary under the body text.
    enum class Element { none, meter, readyRow, cleaningButton, doneRow };

    AppModel::Phase::Kind phase = AppModel::Phase::Kind::scanning;

    // The dial and the free space under it.
    double usedFraction = 0;
    double afterFraction = 0;
    int64_t totalBytes = 0;
    std::string freeSpace; // "61.2 GB": number and unit as one text, so it rolls as one
    std::string freeOf;    // "free of 494.4 GB"
    std::optional<double> forecastDays;

    // The summary.
    std::string status;
    bool spinning = false;
    std::vector<Copy::Run> headline;
    std::string body;
    Element element = Element::none;
    double meterFraction = 0;
    std::string cleanTitle;                  // ready row and cleaning button
    std::optional<std::string> freeNowTitle; // done row, when the shelf holds something
    bool freeNowBusy = false;                // the shelf is being emptied
    bool shareReceipt = false;               // done row

    std::array<Tile, 4> tiles;

    // The footnote.
    std::optional<OptInLine> optIn;
    bool mailNote = false;
    std::optional<std::string> inUseNote;

    bool hasFootnote() const { return optIn || mailNote || inUseNote; }
    bool operator==(const SimpleState&) const = default;

    static SimpleState make(const SimpleInputs& inputs);
};

namespace SimpleText {

inline constexpr const char* kMailNote = "Kelvora can’t read your Mail and Messages attachments.";
// The link of a folder the scan could not read, to the guide of its category.
inline constexpr const char* kWhatToCheck = "What to check";
inline constexpr const char* kCachesReassurance = "Caches rebuild on their own";
inline constexpr const char* kPrivacyReassurance = "Nothing leaves your computer";

// "Kelvora checked 214,386 files in 6 seconds": the count grouped as the user's locale
// groups it, the seconds rounded and never below 1.
std::string scanStatus(const ScanResult& result);

// The categories picked only on request that hold something pickable, none of it picked yet.
std::optional<OptInLine> optInSummary(const ScanResult& result, const PickList& picks);

// What was left alone because an app has it open; none when nothing was.
std::optional<std::string> inUseNote(const ScanResult& result);

// Whether a tile turns into a privacy notice: the scan of `phase` was refused Downloads or
// the Trash.
bool showsAccessNote(const AppModel::Phase& phase);

// The four tiles under the dial: app caches, logs and temp files, old downloads and the
// Trash, with what is picked of each, "Done" after a clean-up that cleared something of
// them, or a privacy notice where the scan was refused a folder, with `accessNote` under it.
std::array<Tile, 4> tiles(const AppModel::Phase& phase, const PickList& picks, int shelfDays,
                          const std::string& accessNote);

} // namespace SimpleText
} // namespace kelvora
