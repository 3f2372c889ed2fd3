#include "monitor/sampling/SamplingCycle.h"

#include "monitor/sampling/ProcessKeys.h"
#include "platform/foundation/NullMarker.h"

#include <cmath>

namespace corvane::sampling {

namespace {

constexpr UpdateFrequency kFrequencies[] = {
    {1, "Very often (0.5 sec)", 0.5},
    {2, "Often (1 sec)", 1.0},
    {3, "Normally (2 sec)", 2.0},
    {4, "Less often (5 sec)", 5.0},
};

}  // namespace

std::span<const UpdateFrequency> updateFrequencies()
{
    return kFrequencies;
}

double intervalForTag(int tag)
{
    for (const UpdateFrequency& f : kFrequencies)
        if (f.tag == tag)
            return f.interval;
    return 1.0;
}

SamplingCycle::SamplingCycle(ProcessSampler& sampler, const ApplicationDirectory& directory,
                             QObject* parent)
    : QObject(parent), sampler_(sampler), directory_(directory)
{
}

SamplingCycle::~SamplingCycle() = default;

void SamplingCycle::replaceTimer(double interval)
{
    if (repeatingTimer_) {
        repeatingTimer_->stop();
        repeatingTimer_->deleteLater();
    }
    repeatingTimer_ = new QTimer(this);
    // Exact intervals: a coarse timer may shift a 5 s tick by a quarter second.
    repeatingTimer_->setTimerType(Qt::PreciseTimer);
    repeatingTimer_->setInterval(static_cast<int>(std::lround(interval * 1000.0)));
    connect(repeatingTimer_, &QTimer::timeout, this, &SamplingCycle::updateProcessInfo);
    repeatingTimer_->start();
    interval_ = interval;
}

void SamplingCycle::startSampling()
{
    if (repeatingTimer_)
        return;
    replaceTimer(kInitialInterval);
    const auto& keys = processKeyTable();
    for (int slot = kPIDSlot; slot <= kASNSlot; ++slot)
        processDictionary_.setValue(keys[slot], nullMarkerVariant());
    renewProcessPID_ = 1;
    updateProcessInfo();
}

void SamplingCycle::updateProcessInfo()
{
    if (renewProcessPID_ == 1) {
        const std::optional<SerialNumber> front = directory_.frontApplication();
        if (front) {
            const QVariant stored = processDictionary_.value(kLSASNKey);
            const bool same = stored.metaType() == QMetaType::fromType<SerialNumber>() &&
                              stored.value<SerialNumber>() == *front;
            // A failed refresh leaves the previous facts; the next tick tries again.
            if (same)
                sampler_.SetInfoForPID(currentProcessPID(processDictionary_), std::nullopt,
                                       processDictionary_, false);
            else
                sampler_.SetInfoForPID(0, *front, processDictionary_, true);
        }
    } else {
        renewProcessPID_ = sampler_.SetInfoForPID(currentProcessPID(processDictionary_),
                                                  std::nullopt, processDictionary_, false);
    }
    Q_EMIT processInfoUpdated();
}

void SamplingCycle::stopRepeatingTimer(int tag)
{
    replaceTimer(intervalForTag(tag));
}

void SamplingCycle::setRenewProcessPID(bool itemWasChecked)
{
    renewProcessPID_ = itemWasChecked ? 1 : 0;
}

MenuItemState SamplingCycle::holdProcessItemState() const
{
    return {true, renewProcessPID_ == 0};
}

MenuItemState SamplingCycle::updateFrequencyItemState(int tag) const
{
    if (tag < 1 || tag > 4)
        return {true, false};
    return {true, repeatingTimer_ && interval_ == intervalForTag(tag)};
}

}  // namespace corvane::sampling
