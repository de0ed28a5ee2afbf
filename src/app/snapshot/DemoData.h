#pragma once

#include "clean/UndoShelf.h"
#include "engine/DiskScanner.h"
#include "model/CleanReport.h"
#include "model/ScanResult.h"
#include "platform/Url.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kelvora::Snapshot {

// Small demo sets made on disk in a fresh "kelvora-demo-<UUID>" folder of the temporary
// folder and run through the real scanner and cleaner, so a picture of them comes from the
// same code as ordinary use. The demo home is scanned with every outside source empty, and
// only what lies inside the demo folder is ever cleaned. The caller removes the folder.

struct DemoDownloads {
    URL folder;
    ScanResult result;
};

struct DemoShelf {
    URL folder;
    UndoShelf shelf;
    CleanReport report; // of the second, newest clean-up
};

// A scanner that sees only the home in `folder`/home (its temporary folder `folder`/tmp):
// nothing running, no tools, no accounts, no system places, so that what it finds is the
// same on every machine.
DiskScanner demoScanner(const URL& folder,
                        std::function<std::optional<AppUsage>(const URL&)> usage);

// A demo home with three applications and seven downloads, scanned; only the driver
// installer counts as opened, every other file and application as added 40 days ago.
DemoDownloads demoDownloads();
// A demo Undo Shelf holding two clean-ups, one six days old and one made now.
DemoShelf demoShelf();
// Rewrites every manifest of the shelf for pictures on the web site: the demo home's paths
// read as "/Users/you" and every stored size is 260 times larger. The shelved files keep
// their real sizes; a manifest that cannot be read or written is passed over.
void dressForWebsite(const UndoShelf& shelf, const URL& demoHome);

// The dressing of one manifest's text, given the forms the demo home's path may take in it.
std::string dressedManifest(std::string text, const std::vector<std::string>& homePaths);
// The items whose location and every target lie inside the folder and that run no tool:
// the only ones a demo may clean.
std::vector<ScanItem> itemsInside(const std::vector<ScanItem>& items, const URL& folder);

} // namespace kelvora::Snapshot
