#include "window/FooterContent.h"

#include "catalog/PlainWords.h"
#include "model/Format.h"

namespace kelvora {

FooterContent FooterContent::of(const PickTotals& totals, int shelfDays, bool cleaning) {
    std::string size = Format::size(totals.all.pickedBytes);
    return {PlainWords::fill("%lld of %@ picked · %@",
                             {Format::count(totals.all.picked),
                              PlainWords::counted(totals.all.removable, "item"), size}),
            PlainWords::fill("Caches, logs, temp, developer and AI caches are deleted now; they "
                             "rebuild. Everything else waits %lld days on the Undo Shelf.",
                             {shelfDays}),
            "Clean up " + size, totals.all.picked > 0, cleaning};
}

} // namespace kelvora
