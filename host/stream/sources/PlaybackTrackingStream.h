#pragma once

#include "host/core/base/Signal.h"
#include "host/core/base/SignalReceiver.h"
#include "host/core/config/Parameter.h"
#include "host/core/io/TrackingRecording.h"
#include "host/stream/StreamWorker.h"
#include "host/stream/TrackingStream.h"
#include "host/stream/TrackingStreamData.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace Tesselon {

/// Plays a tracking recording back as a live tracking stream, so that everything built on streams can be
/// tried on a recorded session. Each frame becomes one sample holding every transform of the frame; an
/// instrument's ID is its transform's name without a trailing "ToTracker" ("StylusToTracker" plays as
/// "Stylus"), so what `TrackingFrameRecorder` records plays back under the original IDs. Valid transforms
/// play as visible with quality 1, invalid ones as hidden with quality 0. Device timestamps are the
/// recorded ones in milliseconds; each completed loop adds the recording's length plus one frame interval.
///
/// Parameters: "speed" (1 = real time, 2 = twice as fast, 0 = as fast as possible; negative values are
/// refused) and "loop" (start over after the last frame). Samples are emitted on the stream's worker
/// thread on absolute deadlines, so the pace does not drift.
///
/// Stopping keeps the position and starting again resumes from it; open and close rewind, and so does
/// starting after the playback finished. Pausing also stops the playback's clock, and resuming continues
/// from the moment it paused. An empty recording fails to open or start. At its end (without loop) the
/// playback logs once, emits `finished` and stays `Running` until stopped: the worker thread does not change
/// the state itself, because it would race with the start and stop the user issues, which alone decide it.
class PlaybackTrackingStream : public TrackingStream
{
public:
    /// `recording` may be empty, but then the stream refuses to open or start.
    explicit PlaybackTrackingStream(TrackingRecording recording, std::string name = "Recording Playback");
    /// Reads the recording through `TrackingRecordingFile::read` and names the stream after the file;
    /// throws `TrackingRecordingError` as that does.
    static std::unique_ptr<PlaybackTrackingStream> fromFile(const std::string& path);
    /// The instruments of the latest sample; before the first one, those of the recording's first frame.
    std::vector<TrackingInstrument> instruments() const override;

    std::size_t frameCount() const { return m_frames.size(); }
    /// The instrument ID a transform plays as: its name without a trailing "ToTracker", unless that
    /// leaves nothing.
    static std::string instrumentId(std::string_view transformName);

    /// Emitted once on the worker thread when the last frame was played without loop. Receivers must
    /// not wait there for the stream to stop (the stop waits for the worker): queue such work instead.
    Signal<> finished;

protected:
    bool openImpl() override;
    bool startImpl() override;
    bool stopImpl() override;
    bool closeImpl() override;
    bool pauseImpl() override;
    bool resumeImpl() override;

private:
    struct Frame
    {
        double time;         ///< seconds from the recording's first frame
        double timestampMs;  ///< the recorded device time
        std::vector<TrackingInstrument> instruments;
    };

    /// Where the playback stands: the next frame to play and how many loops came before it.
    struct Position
    {
        std::size_t frame = 0;
        std::uint64_t loop = 0;
    };

    void onSpeedChanged();
    void onLoopChanged();
    bool checkNotEmpty();
    /// Whether a worker is playing and has not reached the end.
    bool isPlaying() const;

    // The *Locked functions expect m_mutex held.
    double playbackTimeLocked(const Position& position) const;
    std::shared_ptr<const TrackingStreamData> sampleLocked(const Position& position);
    /// Moves to the next frame; false when the playback is over.
    bool advanceLocked();
    void rewindLocked();

    /// Plays on the worker, from the next frame or from the moment the clock was paused.
    void play(bool fromPausedClock);
    void runWorker(const std::stop_token& token, bool fromPausedClock);

    // Fixed at construction, so the worker reads them unlocked.
    std::vector<Frame> m_frames;
    double m_loopPeriod = 0.0;  ///< seconds from one loop's first frame to the next loop's
    std::string m_sourceName;

    Parameter<double> m_speed{"speed", 1.0, this};
    Parameter<bool> m_loop{"loop", false, this};
    // Declared after the parameters so its connections end before they die.
    SignalReceiver m_parameterReceiver;

    mutable std::mutex m_mutex;
    double m_speedSetting = 1.0;
    bool m_loopSetting = false;
    Position m_position;
    bool m_finished = false;
    double m_pausedClock = 0.0;  ///< the playback time at which the worker last stopped
    std::shared_ptr<const TrackingStreamData> m_latest;
    // Last, so it stops before the members its thread uses go.
    StreamWorker m_worker;
};

}  // namespace Tesselon
