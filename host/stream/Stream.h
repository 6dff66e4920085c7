#pragma once

#include "host/core/Configurable.h"
#include "host/core/Data.h"
#include "host/core/Signal.h"
#include "host/stream/StreamData.h"

#include <future>
#include <memory>
#include <mutex>

namespace Tesselon {

/// A live source of samples. Opening, starting, stopping and closing run asynchronously and give a
/// future boolean that may carry the exception the operation raised; operations on one stream run one
/// after the other. Samples are emitted on the stream's own thread (or, for a derived stream, on its
/// input's thread): receivers must not touch widgets there.
class Stream : public Data, public Configurable
{
public:
    /// Stream states; a stream is running while `Running` or `Paused`.
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

    std::future<bool> openAsync();
    std::future<bool> startAsync();
    std::future<bool> stopAsync();
    std::future<bool> closeAsync();
    /// Blocking forms: wait for the asynchronous operation; exceptions propagate.
    bool open() { return openAsync().get(); }
    bool start() { return startAsync().get(); }
    bool stop() { return stopAsync().get(); }
    bool close() { return closeAsync().get(); }

    State state() const;
    bool isRunning() const;
    /// Sets the state and emits `stateChanged` (old, new) when it differs.
    void changeState(State newState);

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

private:
    std::future<bool> runAsync(bool (Stream::*operation)(), State stateOnSuccess);

    mutable std::mutex m_stateMutex;
    State m_state = Closed;
    // Serialises the operations so open, start, stop and close never interleave.
    std::shared_ptr<std::mutex> m_operationMutex = std::make_shared<std::mutex>();
};

}  // namespace Tesselon
