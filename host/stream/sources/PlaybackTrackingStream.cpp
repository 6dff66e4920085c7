#include "host/stream/sources/PlaybackTrackingStream.h"

#include "host/core/base/Log.h"
#include "host/core/io/TrackingRecordingFile.h"
#include "host/stream/TrackingFrameRecorder.h"

#include <fmt/format.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <limits>

namespace Tesselon {
namespace {

constexpr std::string_view category = "PlaybackTrackingStream";
// Frames that share one timestamp still need a step between loops, so time keeps increasing.
constexpr double minimumFrameInterval = 0.001;
// Keeps a tiny speed from overflowing the clock; no one waits this long for a frame.
constexpr double longestWaitSeconds = 1.0e6;

std::vector<TrackingInstrument> instrumentsOf(const TrackingFrame& frame)
{
    std::vector<TrackingInstrument> instruments;
    for (const TrackedTransform& transform : frame.transforms) {
        TrackingInstrument instrument;
        const std::string id = PlaybackTrackingStream::instrumentId(transform.name);
        instrument.id = TrackerID(id, "", id);
        // A pose recorded in another frame than the tracker's keeps its name when recorded or served again.
        if (id == transform.name)
            instrument.transformName = transform.name;
        instrument.matrix = transform.matrix;
        instrument.visible = transform.valid;
        instrument.quality = transform.valid ? 1.0 : 0.0;
        instruments.push_back(std::move(instrument));
    }
    return instruments;
}

/// The device time of a recorded time; none for one no clock can hold.
std::optional<DeviceTime> deviceTimeOf(double milliseconds)
{
    if (!(std::abs(milliseconds) < static_cast<double>(std::numeric_limits<DeviceTime::rep>::max())))
        return std::nullopt;
    return DeviceTime(std::llround(milliseconds));
}

/// When each playback time is due. Every deadline follows from one anchor (playback time `m_anchorTime`
/// is due at `m_anchorWall`), so the time spent emitting never accumulates into drift.
class Pace
{
public:
    using Clock = std::chrono::steady_clock;

    Pace(double speed, double time) : m_speed(speed), m_anchorWall(Clock::now()), m_anchorTime(time) {}

    double speed() const { return m_speed; }

    /// Only for a positive speed.
    Clock::time_point deadline(double time) const
    {
        return m_anchorWall + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(
                                  std::min((time - m_anchorTime) / m_speed, longestWaitSeconds)));
    }

    /// The playback time at `now`; `nextTime` is the next frame's playback time, which the playback has
    /// not passed yet.
    double timeAt(Clock::time_point now, double nextTime) const
    {
        if (m_speed <= 0.0)
            return nextTime;
        const double elapsed = std::chrono::duration<double>(now - m_anchorWall).count();
        return std::min(nextTime, m_anchorTime + elapsed * m_speed);
    }

    /// Re-anchors where the playback stands now, so the new pace starts there without a jump.
    void changeSpeed(double speed, double nextTime)
    {
        const Clock::time_point now = Clock::now();
        m_anchorTime = timeAt(now, nextTime);
        m_anchorWall = now;
        m_speed = speed;
    }

private:
    double m_speed;
    Clock::time_point m_anchorWall;
    double m_anchorTime;
};

}  // namespace

PlaybackTrackingStream::PlaybackTrackingStream(TrackingRecording recording, std::string name)
    : TrackingStream(std::move(name)), m_sourceName(std::move(recording.sourceName))
{
    m_speed.setAttribute("min", "0");
    m_speed.setAttribute("tooltip", "1 plays in real time, 2 twice as fast, 0 as fast as possible");
    m_speed.valueChanged.connect(&m_parameterReceiver, [this] { onSpeedChanged(); });
    m_loop.valueChanged.connect(&m_parameterReceiver, [this] { onLoopChanged(); });

    if (recording.frames.empty())
        return;
    const double firstTime = recording.frames.front().timestamp;
    double latest = 0.0;
    for (const TrackingFrame& frame : recording.frames) {
        const double time = frame.timestamp - firstTime;
        latest = std::max(latest, time);
        m_frames.push_back({time, frame.timestamp * 1000.0, instrumentsOf(frame)});
        for (TrackingInstrument& instrument : m_frames.back().instruments)
            instrument.timestamp = deviceTimeOf(m_frames.back().timestampMs);
    }
    const double meanInterval =
        m_frames.size() > 1 ? latest / static_cast<double>(m_frames.size() - 1) : minimumFrameInterval;
    m_loopPeriod = latest + std::max(meanInterval, minimumFrameInterval);
}

std::unique_ptr<PlaybackTrackingStream> PlaybackTrackingStream::fromFile(const std::string& path)
{
    return std::make_unique<PlaybackTrackingStream>(TrackingRecordingFile::read(path),
                                                    std::filesystem::path(path).filename().string());
}

std::string PlaybackTrackingStream::instrumentId(std::string_view transformName)
{
    constexpr std::string_view suffix = TrackingFrameRecorder::transformSuffix;
    if (transformName.size() > suffix.size() && transformName.ends_with(suffix))
        transformName.remove_suffix(suffix.size());
    return std::string(transformName);
}

std::vector<TrackingInstrument> PlaybackTrackingStream::instruments() const
{
    std::lock_guard lock(m_mutex);
    if (m_latest)
        return m_latest->instruments();
    return m_frames.empty() ? std::vector<TrackingInstrument>{} : m_frames.front().instruments;
}

void PlaybackTrackingStream::onSpeedChanged()
{
    {
        std::lock_guard lock(m_mutex);
        m_speedSetting = m_speed.value();  // the parameter refuses negative and non-finite speeds
    }
    // The worker may be waiting for a frame at the old pace.
    m_worker.wake();
}

void PlaybackTrackingStream::onLoopChanged()
{
    std::lock_guard lock(m_mutex);
    m_loopSetting = m_loop.value();
}

bool PlaybackTrackingStream::checkNotEmpty()
{
    if (!m_frames.empty())
        return true;
    const std::string source = m_sourceName.empty() ? "" : fmt::format(" \"{}\"", m_sourceName);
    fail(
        fmt::format("Cannot play \"{}\": the recording{} holds no frames. Choose a recording "
                    "with at least one tracked frame.",
                    name(), source));
    return false;
}

double PlaybackTrackingStream::playbackTimeLocked(const Position& position) const
{
    return m_frames[position.frame].time + static_cast<double>(position.loop) * m_loopPeriod;
}

std::shared_ptr<const TrackingStreamData> PlaybackTrackingStream::sampleLocked(const Position& position)
{
    const Frame& frame = m_frames[position.frame];
    const std::optional<DeviceTime> timestamp =
        deviceTimeOf(frame.timestampMs + static_cast<double>(position.loop) * m_loopPeriod * 1000.0);
    std::vector<TrackingInstrument> instruments = frame.instruments;
    for (TrackingInstrument& instrument : instruments)
        instrument.timestamp = timestamp;
    auto sample = std::make_shared<TrackingStreamData>(this, std::move(instruments));
    sample->setTimestampDevice(timestamp);
    sample->setTimestampArrival(StreamData::nowMilliseconds());
    m_latest = sample;
    return sample;
}

bool PlaybackTrackingStream::advanceLocked()
{
    if (++m_position.frame < m_frames.size())
        return true;
    if (!m_loopSetting) {
        m_finished = true;
        return false;
    }
    m_position.frame = 0;
    ++m_position.loop;
    return true;
}

void PlaybackTrackingStream::rewindLocked()
{
    m_position = {};
    m_finished = false;
}

bool PlaybackTrackingStream::isPlaying() const
{
    std::lock_guard lock(m_mutex);
    return m_worker.isStarted() && !m_finished;
}

bool PlaybackTrackingStream::openImpl()
{
    if (!checkNotEmpty())
        return false;
    // Reopening a running or paused playback must not turn its clock back.
    if (isPlaying() || state() == Paused)
        return true;
    m_worker.stop();
    std::lock_guard lock(m_mutex);
    rewindLocked();
    return true;
}

bool PlaybackTrackingStream::startImpl()
{
    if (!checkNotEmpty())
        return false;
    if (isPlaying())
        return true;
    // A finished worker has returned or is about to: join it before starting over.
    m_worker.stop();
    {
        std::lock_guard lock(m_mutex);
        if (m_finished)
            rewindLocked();
    }
    play(false);
    return true;
}

bool PlaybackTrackingStream::stopImpl()
{
    m_worker.stop();
    return true;
}

bool PlaybackTrackingStream::closeImpl()
{
    m_worker.stop();
    std::lock_guard lock(m_mutex);
    rewindLocked();
    m_latest.reset();
    return true;
}

bool PlaybackTrackingStream::pauseImpl()
{
    m_worker.stop();
    return true;
}

bool PlaybackTrackingStream::resumeImpl()
{
    {
        std::lock_guard lock(m_mutex);
        // Nothing is left to play; the stream stays running, as it was when paused.
        if (m_finished)
            return true;
    }
    play(true);
    return true;
}

void PlaybackTrackingStream::play(bool fromPausedClock)
{
    m_worker.start([this, fromPausedClock](std::stop_token token) { runWorker(token, fromPausedClock); });
}

void PlaybackTrackingStream::runWorker(const std::stop_token& token, bool fromPausedClock)
{
    std::unique_lock lock(m_mutex);
    Pace pace(m_speedSetting, fromPausedClock ? m_pausedClock : playbackTimeLocked(m_position));
    while (!token.stop_requested()) {
        const double time = playbackTimeLocked(m_position);
        if (m_speedSetting != pace.speed())
            pace.changeSpeed(m_speedSetting, time);
        if (pace.speed() > 0.0 && m_worker.waitUntil(lock, token, pace.deadline(time),
                                                     [&] { return m_speedSetting != pace.speed(); }))
            continue;

        const auto sample = sampleLocked(m_position);
        const bool more = advanceLocked();
        lock.unlock();
        // Unlocked: receivers may call back into the stream.
        emitData(sample);
        if (!more) {
            Log::info(category, fmt::format("Playback of \"{}\" finished after {} frames; start the stream "
                                            "again to replay it, or turn on \"loop\".",
                                            name(), m_frames.size()));
            finished.emitSignal();
            return;
        }
        lock.lock();
    }
    m_pausedClock = pace.timeAt(Pace::Clock::now(), playbackTimeLocked(m_position));
}

}  // namespace Tesselon
