#pragma once

#include "host/core/config/Configurable.h"
#include "host/core/model/DataList.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace Tesselon {

/// Base of every algorithm the host offers: configured from `Properties`, computed on demand,
/// reporting an integer status (0 success; other values are the algorithm's own) and handing
/// its results over through `takeOutput`.
class Algorithm : public Configurable
{
public:
    enum Status
    {
        NotComputed = -1,
        Success = 0,
        Error = 1
    };

    /// Where the algorithm came from: its factory's full id, its display name and the selected inputs.
    struct FactoryInfo
    {
        std::string id;
        std::string name;
        DataList inputs;
    };

    Algorithm() = default;
    ~Algorithm() override;

    virtual void compute() = 0;

    /// The results of the last `compute`; the caller owns them and the algorithm forgets them.
    virtual std::vector<std::unique_ptr<Data>> takeOutput();

    /// Whether the algorithm may keep running when this data object is deleted (by default not).
    virtual bool survivesDataDeletion(const Data* data) const;

    virtual int status() const { return m_status; }
    void setStatus(int status) { m_status = status; }

    const FactoryInfo& factoryInfo() const { return m_factoryInfo; }
    void setFactoryInfo(FactoryInfo info) { m_factoryInfo = std::move(info); }

private:
    std::atomic<int> m_status = NotComputed;
    FactoryInfo m_factoryInfo;
};

}  // namespace Tesselon
