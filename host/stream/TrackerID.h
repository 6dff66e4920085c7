#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace Tesselon {

/// Identifies a tracked instrument: the tracker's ID for it, the tool model and a display name.
/// Instruments are matched by ID alone; model and name are for people.
class TrackerID
{
public:
    TrackerID() = default;
    explicit TrackerID(std::string id, std::string model = {}, std::string name = {});

    const std::string& ID() const { return m_id; }
    const std::string& model() const { return m_model; }
    const std::string& name() const { return m_name; }
    void setName(std::string name) { m_name = std::move(name); }

    /// The text form "ID;model;name" in which backslashes and semicolons inside a part are escaped with a
    /// backslash, so every ID, model and name round-trips; without `includeName` the name part is empty.
    std::string toIDModelNameString(bool includeName = true) const;
    /// Parses the text form; a text without separators is taken as a bare ID.
    static TrackerID fromIDModelNameString(std::string_view text);

    /// A stable hash of the ID, which tags data that belongs to the instrument (such as its fiducials).
    std::uint64_t idHash() const;

    bool operator==(const TrackerID&) const = default;

private:
    std::string m_id;
    std::string m_model;
    std::string m_name;
};

}  // namespace Tesselon
