#pragma once

#include "host/core/base/Signal.h"
#include "host/core/config/Configurable.h"
#include "host/core/model/Data.h"
#include "host/stream/StreamData.h"

#include <cstdint>
#include <future>
#include <memory>
#include <mutex>
#include <string>

namespace Tesselon {

/// A live source of samples. Opening, starting, stopping, closing, pausing and resuming run
/// asynchronously and give a future boolean that may carry the exception the operation raised; operations
/// on one stream run one after the other. Samples are emitted on the stream's own thread (or, for a derived
/// stream, on its input's thread): receivers must not touch widgets there.
class Stream : public Data, public Configurable
{
public:
    /// Stream states; a stream is running while `Running` or `Paused`. An open or start (or resume) that
    /// throws or returns false leaves the stream `Failed`, from which opening again may recover it.
    enum State
    {
        Closed = 0,
        Failed = 1,
        Open = 2,
        Running = 3,
        Paused = 4
    };

    explicit Stream(std::string name = {});
    ~Stream() override;

    Kind kind() const override { return Kind::Stream; }

    std::future<bool> openAsync() { return runAsync(Operation::Open, &Stream::openImpl); }
    std::future<bool> startAsync() { return runAsync(Operation::Start, &Stream::startImpl); }
    std::future<bool> stopAsync() { return runAsync(Operation::Stop, &Stream::stopImpl); }
    std::future<bool> closeAsync() { return runAsync(Operation::Close, &Stream::closeImpl); }
    /// Only a running stream pauses, and only a paused one resumes; pausing a paused stream or resuming a
    /// running one succeeds without a change.
    std::future<bool> pauseAsync() { return runAsync(Operation::Pause, &Stream::pauseImpl); }
    std::future<bool> resumeAsync() { return runAsync(Operation::Resume, &Stream::resumeImpl); }
    /// Blocking forms: wait for the asynchronous operation; exceptions propagate.
    bool open() { return openAsync().get(); }
    bool start() { return startAsync().get(); }
    bool stop() { return stopAsync().get(); }
    bool close() { return closeAsync().get(); }
    bool pause() { return pauseAsync().get(); }
    bool resume() { return resumeAsync().get(); }

    State state() const;
    bool isRunning() const;
    /// Sets the state and emits `stateChanged` (old, new) when it differs; `failureReason` is kept only
    /// when the new state is `Failed`.
    void changeState(State newState, std::string failureReason = {});
    /// Logs the reason, one sentence, and enters `Failed`. Any thread.
    void fail(std::string reason);
    /// Why the stream failed; empty unless `Failed`.
    std::string failureReason() const;

    /// Configuration under the stream's configuration lock, so a stream's worker thread may read its
    /// parameters (through `configurationMutex`) while the GUI or a script configures it.
    void configure(const Properties* properties) override;
    void configuration(Properties* properties) const override;
    void configureDefaults() override;

    Signal<std::shared_ptr<const StreamData>> newData;
    Signal<State, State> stateChanged;
    /// Something about the stream changed (instruments, configuration); receivers re-read it.
    Signal<> updated;
    /// The same, for receivers that may be called from any thread and only queue work.
    Signal<> updatedThreadSafe;

protected:
    virtual bool openImpl() = 0;
    virtual bool startImpl() = 0;
    virtual bool stopImpl() = 0;
    virtual bool closeImpl() = 0;
    /// By default a paused source keeps its thread and device but `emitData` drops its samples.
    virtual bool pauseImpl() { return true; }
    virtual bool resumeImpl() { return true; }

    /// Emits `newData` unless paused. A sample already being emitted when a pause completes may still
    /// arrive; none emitted later does.
    void emitData(std::shared_ptr<const StreamData> sample);

    /// Held by `configure`, `configuration` and `configureDefaults`; recursive because a parameter's
    /// listeners may read the configuration back.
    std::recursive_mutex& configurationMutex() const { return m_configurationMutex; }

private:
    enum class Operation
    {
        Open,
        Start,
        Stop,
        Close,
        Pause,
        Resume
    };

    using Implementation = bool (Stream::*)();

    std::future<bool> runAsync(Operation operation, Implementation implementation);
    bool run(Operation operation, Implementation implementation);
    static State stateAfter(Operation operation, State current);
    std::uint64_t failureCount() const;

    mutable std::recursive_mutex m_configurationMutex;
    mutable std::mutex m_stateMutex;
    State m_state = Closed;
    std::string m_failureReason;
    // Counts entries into `Failed`, so an operation sees whether it already failed the stream itself.
    std::uint64_t m_failureCount = 0;
    // Serialises the operations so they never interleave.
    std::shared_ptr<std::mutex> m_operationMutex = std::make_shared<std::mutex>();
};

}  // namespace Tesselon
