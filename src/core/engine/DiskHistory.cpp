#include "engine/DiskHistory.h"

#include "engine/DiskScanner.h"
#include "platform/AppPaths.h"
#include "platform/FileLock.h"
#include "platform/FileSystem.h"
#include "platform/Iso8601.h"
#include "platform/Saturating.h"

#include <algorithm>
#include <nlohmann/json.hpp>

namespace kelvora {

namespace {

constexpr double kReplaceWithin = 3600;
constexpr double kWindow = 2592000;
constexpr double kMinimumSpan = 172800;
constexpr double kFallingAtLeast = -50'000'000;

std::optional<DiskHistory> decode(const std::string& text) {
    auto doc = nlohmann::json::parse(text, nullptr, false);
    if (doc.is_discarded() || !doc.is_object()) return std::nullopt;
    auto samples = doc.find("samples");
    auto freed = doc.find("freedByKelv");
    if (samples == doc.end() || !samples->is_array() || freed == doc.end() ||
        !freed->is_number_integer())
        return std::nullopt;
    DiskHistory history;
    history.freedByCleaning = freed->get<int64_t>();
    for (const auto& entry : *samples) {
        if (!entry.is_object()) return std::nullopt;
        auto date = entry.find("date");
        auto available = entry.find("available");
        auto sampleFreed = entry.find("freedByKelv");
        if (date == entry.end() || !date->is_string() || available == entry.end() ||
            !available->is_number_integer() || sampleFreed == entry.end() ||
            !sampleFreed->is_number_integer())
            return std::nullopt;
        auto parsed = parseIso8601(date->get<std::string>());
        if (!parsed) return std::nullopt;
        history.samples.push_back(
            {*parsed, available->get<int64_t>(), sampleFreed->get<int64_t>()});
    }
    return history;
}

std::string encode(const DiskHistory& history) {
    nlohmann::ordered_json samples = nlohmann::ordered_json::array();
    for (const auto& sample : history.samples)
        samples.push_back(nlohmann::ordered_json{{"date", formatIso8601(sample.date)},
                                                 {"available", sample.available},
                                                 {"freedByKelv", sample.freedByCleaning}});
    nlohmann::ordered_json doc;
    doc["samples"] = samples;
    doc["freedByKelv"] = history.freedByCleaning;
    return doc.dump();
}

} // namespace

URL DiskHistory::defaultFile() {
    return URL::fileURL(joinPath(AppPaths::appDataFolder(), "disk-history.json"));
}

DiskHistory DiskHistory::load(const URL& file) {
    auto text = readFile(file.path(), kMaxFileBytes);
    return text ? decode(*text).value_or(DiskHistory{}) : DiskHistory{};
}

void DiskHistory::save(const URL& file) const {
    changeLockedFile(file.path(), kMaxFileBytes, [&](const auto&) { return encode(*this); });
}

void DiskHistory::record(int64_t available, Date at) {
    Sample sample{at, available, freedByCleaning};
    if (!samples.empty() && secondsBetween(samples.back().date, at) < kReplaceWithin)
        samples.back() = sample;
    else
        samples.push_back(sample);
    std::erase_if(samples, [&](const Sample& s) { return secondsBetween(s.date, at) > kWindow; });
}

void DiskHistory::recordFreed(int64_t bytes) {
    addSaturating(freedByCleaning, std::max<int64_t>(bytes, 0));
}

std::optional<double> DiskHistory::daysUntilFull(Date now) const {
    std::vector<Sample> kept;
    for (const auto& sample : samples)
        if (secondsBetween(sample.date, now) <= kWindow) kept.push_back(sample);
    if (kept.size() < 4) return std::nullopt;
    const Sample& first = kept.front();
    const Sample& last = kept.back();
    if (secondsBetween(first.date, last.date) < kMinimumSpan) return std::nullopt;

    // Free space as it would have been had the app freed nothing since the first sample.
    std::vector<std::pair<double, double>> points;
    for (const auto& s : kept)
        points.push_back(
            {secondsBetween(first.date, s.date) / 86400.0,
             static_cast<double>(s.available) - (static_cast<double>(s.freedByCleaning) -
                                                 static_cast<double>(first.freedByCleaning))});
    double n = static_cast<double>(points.size());
    double meanX = 0, meanY = 0;
    for (auto [x, y] : points) {
        meanX += x / n;
        meanY += y / n;
    }
    double sxx = 0, sxy = 0;
    for (auto [x, y] : points) {
        sxx += (x - meanX) * (x - meanX);
        sxy += (x - meanX) * (y - meanY);
    }
    if (!(sxx > 0)) return std::nullopt;
    double slope = sxy / sxx;
    if (!(slope < kFallingAtLeast)) return std::nullopt;
    return static_cast<double>(last.available) / -slope;
}

void DiskHistory::recordNow(const URL& volume, const URL& file) {
    update(file, [&](DiskHistory& history) {
        history.record(DiskScanner::diskSpace(volume).available, currentDate());
    });
}

DiskHistory DiskHistory::update(const URL& file, const std::function<void(DiskHistory&)>& change) {
    DiskHistory history;
    changeLockedFile(file.path(), kMaxFileBytes, [&](const std::optional<std::string>& text) {
        history = text ? decode(*text).value_or(DiskHistory{}) : DiskHistory{};
        change(history);
        return std::optional(encode(history));
    });
    return history;
}

} // namespace kelvora
