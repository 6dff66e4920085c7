#pragma once

#include "host/core/base/Log.h"
#include "host/core/config/Properties.h"
#include "host/stream/StreamAlgorithm.h"

#include <exception>
#include <memory>
#include <string>

namespace Tesselon {

/// Creates a derived stream of type T over the selected data, configures it and, by default, opens and
/// starts it; the stream is the algorithm's output. The template flags give the defaults of the open
/// and start flags and whether a stored configuration reaches the stream when it is created.
/// T provides a constructor from `DataList` and `static bool isCompatible(const DataList&)`.
template <class T, bool OpenByDefault, bool StartByDefault, bool ConfigureOnCreation>
class CreateStreamAlgorithm : public StreamAlgorithm
{
public:
    explicit CreateStreamAlgorithm(const DataList& inputs) : m_inputs(inputs) {}
    /// A stream nobody took is still attached to its inputs: it goes with the algorithm.
    ~CreateStreamAlgorithm() override { delete m_stream; }

    static bool createCompatible(const DataList& data, Algorithm** out)
    {
        if (!T::isCompatible(data))
            return false;
        if (out)
            *out = new CreateStreamAlgorithm(data);
        return true;
    }

    T* stream() const override { return m_stream; }
    void resetStream() override { m_stream = nullptr; }

    void configure(const Properties* properties) override
    {
        if (!properties)
            return;
        m_configuration = std::make_unique<Properties>();
        m_configuration->copyFrom(*properties);
        if (m_stream)
            m_stream->configure(properties);
        readFirstFlag(*properties, {"open", "autoOpen", "connect"}, m_open);
        readFirstFlag(*properties, {"start", "autoStart"}, m_start);
    }

    void configuration(Properties* properties) const override
    {
        if (!properties)
            return;
        if (m_stream)
            m_stream->configuration(properties);
        else if (m_configuration)
            properties->copyFrom(*m_configuration);
    }

    void compute() override
    {
        try {
            m_stream = new T(m_inputs);
            if (ConfigureOnCreation && m_configuration)
                m_stream->configure(m_configuration.get());
            setStatus(openAndStart() ? Success : Error);
        } catch (const std::exception& error) {
            Log::log(Log::Error, "", std::string("Could not instantiate a new Stream: ") + error.what());
            // The stream is forgotten, never handed out; delete it so a failure does not leak it.
            delete std::exchange(m_stream, nullptr);
            setStatus(Error);
        }
    }

    bool openFlag() const { return m_open; }
    bool startFlag() const { return m_start; }

private:
    bool openAndStart()
    {
        if (!m_open)
            return true;
        const bool opened = m_stream->openAsync().get();
        if (!m_start)
            return opened;
        return opened && m_stream->start();
    }

    /// The first of these boolean keys present in the properties sets the flag; none leaves it as is.
    static void readFirstFlag(const Properties& properties, std::initializer_list<const char*> keys,
                              bool& flag)
    {
        for (const char* key : keys) {
            if (properties.hasParam(key)) {
                properties.param(key, flag);
                return;
            }
        }
    }

    DataList m_inputs;
    T* m_stream = nullptr;
    std::unique_ptr<Properties> m_configuration;
    bool m_open = OpenByDefault;
    bool m_start = StartByDefault;
};

}  // namespace Tesselon
