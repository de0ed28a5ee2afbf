#pragma once

#include "model/CleanReport.h"
#include "model/ScanItem.h"
#include "model/ShelfSweep.h"
#include "platform/Date.h"
#include "platform/StopToken.h"
#include "platform/Url.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace kelvora {

// The Undo Shelf: a folder of clean-ups, each of which can be put back until it expires.
// A plain value; every operation works directly on the folder, and those that change it
// hold an advisory lock on the root for their whole run, so the window, the sweeper agent
// and the menu bar can share one shelf. Nothing below the root is ever followed through a
// link, and a clean-up is only ever read from, and acted on in, the folder of its own name.
struct UndoShelf {
    // Its records are plain values of the model, which a clean report carries too.
    using Entry = ShelfEntry;
    using Sweep = ShelfSweep;
    // A target that stayed where it was, and why.
    using Failure = CleanReport::Failure;

    // What put back and emptying throw: the description of the file or manifest error.
    struct Error : std::runtime_error {
        using std::runtime_error::runtime_error;
    };

    struct LabelledItem {
        ScanItem item;
        std::string label;
    };

    struct ShelveResult {
        std::optional<Sweep> sweep; // none when nothing was kept on the shelf
        std::vector<Failure> failures;
    };

    struct Purge {
        int64_t bytes = 0;
        // Why each clean-up whose hold has ended is still there, or part of it.
        std::vector<std::string> stillHeld;
    };

    URL root;
    int holdDays = 7;

    UndoShelf() = default;
    explicit UndoShelf(URL root) : root(std::move(root)) {}
    UndoShelf(URL root, int holdDays) : root(std::move(root)), holdDays(holdDays) {}

    // <Application Support>/Kelvora/Undo Shelf; not created until something is shelved.
    static URL defaultRoot();
    // "yyyy-MM-dd'T'HH-mm-ss" in local time, "-", six random upper-case hex digits.
    static std::string sweepID(Date date);
    // The path itself when nothing is there, else "name (restored).ext",
    // "name (restored 2).ext" and so on.
    static URL freeName(const URL& url);

    // The clean-ups on the shelf, newest first; unreadable manifests are skipped, and an
    // entry that cannot be read is listed by what it stored. A clean-up cut short is read
    // back from its plan, or, cut before its plan was written, from its stored items alone.
    // Each entry says why anything of it cannot go back now.
    std::vector<Sweep> sweeps() const;
    // Where a file of a clean-up is kept, to be shown in the file manager.
    URL storedURL(const Sweep& sweep, const Entry::File& file) const;
    int64_t bytes() const;

    // Moves every target of the items into one new clean-up. Never throws: each target
    // left where it was is named by a failure. The clean-up's plan is on disk before the
    // first move, so one cut short by a crash is still listed and can be put back. Once
    // `stop` is set the item in hand is finished and the rest stay where they are, unnamed.
    ShelveResult shelve(const std::vector<LabelledItem>& items, Date now,
                        const StopToken& stop = {}) const;
    // Puts one entry back; returns the clean-up as it now stands, or none once it is gone.
    // Throws when any of its files stayed on the shelf (it is then still listed) or was
    // missing from it. Once `stop` is set it ends at the file in hand, what is left listed
    // as it then stands.
    std::optional<Sweep> putBack(const Entry& entry, const Sweep& sweep,
                                 const StopToken& stop = {}) const;
    // Puts back every entry that can go back, then throws one error naming what could not.
    void putBackAll(const Sweep& sweep, const StopToken& stop = {}) const;
    // Removes a clean-up for good and returns its bytes; once `stop` is set it ends at the
    // file in hand, returns what it removed, and what is left stays listed, to be finished by
    // the next purge.
    int64_t empty(const Sweep& sweep, const StopToken& stop = {}) const;
    // Removes every clean-up whose hold has ended at `now`, but for the entries that cannot
    // go back now, which stay until the user frees them; returns the bytes removed.
    int64_t purgeExpired(Date now) const;
    Purge purge(Date now) const;

private:
    std::optional<Sweep> putBackEntries(const Sweep& sweep, const std::optional<Entry>& only,
                                        const StopToken& stop) const;
};

} // namespace kelvora
