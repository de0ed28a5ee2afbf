#include "controller/Receipt.h"

#include "catalog/Catalog.h"

namespace kelvora {

Receipt Receipt::make(const ScanResult& before, const CleanReport& report, const DiskSpace& disk,
                      int holdDays, Date date) {
    Receipt receipt;
    receipt.date = date;
    for (JunkKind kind : JunkKinds::allCases())
        if (auto it = report.byKind.find(kind); it != report.byKind.end())
            receipt.lines.push_back({Catalog::title(kind), it->second});
    receipt.total = report.freed + report.shelved;
    receipt.shelved = report.shelved;
    receipt.holdDays = holdDays;
    receipt.freeBefore = before.disk.available;
    receipt.freeAfter = disk.available;
    receipt.diskTotal = disk.total;
    return receipt;
}

} // namespace kelvora
