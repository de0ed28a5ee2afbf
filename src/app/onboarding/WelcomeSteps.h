#pragma once

#include "design/Motion.h"
#include "model/ScanResult.h"
#include "onboarding/SketchView.h"

namespace kelvora {

class AccessPoll;
class AppModel;
class DialView;

// The welcome's first step: the disk on the dial, sweeping up to what is in use, with the
// free space beside the disk's size.
class MeetYourDisk : public SketchView {
    Q_OBJECT

public:
    explicit MeetYourDisk(DiskSpace disk, QWidget* parent = nullptr);

    static constexpr QSizeF kDialFrame{460, 236.9};
    // The dial sweeps from empty to the share in use: an ease-out, never past it.
    static constexpr Motion::EaseOut kSweep{1.4};
    static constexpr double kSweepDelay = 0.2;
    // The share of the disk in use; 0 for a disk of no size or more free than its total.
    static double usedFraction(const DiskSpace& disk);
    static QString freeNumber(const DiskSpace& disk); // "182.4 GB"
    static QString ofTotal(const DiskSpace& disk);    // "free of 494.4 GB"
    static QString paragraph();
    // The step at a width, its top left at the origin.
    static Sketch step(const DiskSpace& disk, qreal width);

    DialView* dial() const { return dial_; }

protected:
    Sketch layout(QSizeF size) const override;

private:
    DiskSpace disk_;
    DialView* dial_;
};

// The welcome's last step: the access Kelvora asks for, watched live, with what happens
// without it.
class PermissionsStep : public SketchView {
    Q_OBJECT

public:
    explicit PermissionsStep(AppModel& model, QWidget* parent = nullptr);

    struct State {
        bool fullDisk = false;
        // The folders closed right now, in words; only while they are.
        QString closed;
        bool operator==(const State&) const = default;
    };
    static QString paragraph();
    static QString rowTitle();
    static QString rowDetail();
    static QString status(bool fullDisk);
    // The step at a width, its top left at the origin.
    static Sketch step(const State& state, qreal width);

    bool fullDisk() const { return state_.fullDisk; }
    bool isPolling() const;

protected:
    Sketch layout(QSizeF size) const override;

private:
    void setFullDisk(bool fullDisk);

    AppModel& model_;
    State state_;
    AccessPoll* poll_;
};

} // namespace kelvora
