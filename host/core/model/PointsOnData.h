#pragma once

#include "host/core/base/Signal.h"
#include "host/core/config/Configurable.h"

#include <Eigen/Core>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace Tesselon {

class Data;

/// Base of every set of 3-D points that belongs to a data object (an image, a tracking stream). The derived
/// class owns the points; this base keeps one name (empty when added) and one flag (true when added) per
/// point, in step with them: index i of each belongs to point i. Points are in world millimetres.
///
/// Out-of-range indices, negative ones included, are never an error that throws: queries log a warning
/// (category "PointsOnData") and return nothing, modifiers log it and change nothing. `remove` clamps its
/// range silently.
///
/// Configuration: the registered parameters, then a sub-block "Points" with one sub-block "Point" per point,
/// filled by `pointConfiguration` (by default the parameters "Point", the 3-vector, and "Name", the text).
/// `configure` replaces the point list only when "Points" is present.
///
/// Not locked: its users serialise access (in practice the GUI thread).
class PointsOnData : public Configurable
{
public:
    PointsOnData() = default;
    ~PointsOnData() override;

    /// Each carries the half-open index range [first, last) of the affected points. For added points the
    /// range is taken after the addition, for removed ones before the removal.
    Signal<int, int> pointsAdded;
    Signal<int, int> pointsChanged;
    Signal<int, int> pointsRemoved;
    Signal<int, int> pointsRenamed;

    void configure(const Properties* properties) override;
    void configuration(Properties* properties) const override;

    /// Every point in world coordinates, in index order.
    virtual const std::vector<Eigen::Vector3d>& allPoints() const = 0;
    /// The data object the points belong to; null when the set stands alone.
    virtual Data* data() const = 0;
    /// Removes the points [first, last) after clamping the range to [0, size()); emits `pointsRemoved`
    /// with the clamped range, or nothing when it is empty.
    virtual void remove(int first, int last) = 0;

    virtual int size() const;
    virtual bool empty() const;
    /// Removes every point.
    virtual void clear();
    /// Point i, or nothing (logged) when i is out of range.
    virtual std::optional<Eigen::Vector3d> point(int i) const;

    /// Reads one "Point" block of a configuration; `i` is the block's index in the list, which is also the
    /// index the point gets, as the list is emptied first. An unusable block adds nothing.
    virtual void configurePoint(int i, const Properties& block) = 0;
    /// Writes point i into its block; by default "Point" and "Name".
    virtual void pointConfiguration(int i, Properties& block) const;

    /// The name of point i, or nothing (logged) when i is out of range.
    std::optional<std::string> name(int i) const;
    /// Renames point i and emits `pointsRenamed` (i, i + 1); out of range: logged, ignored.
    void setName(int i, std::string text);
    const std::vector<std::string>& names() const { return m_names; }

    /// The flag of point i, or nothing (logged) when i is out of range.
    std::optional<bool> flag(int i) const;
    /// Sets the flag of point i and emits `pointsChanged` (i, i + 1); out of range: logged, ignored.
    void setFlag(int i, bool value);
    const std::vector<bool>& flags() const { return m_flags; }

protected:
    /// Call after appending `count` points: appends their empty names and true flags, then emits
    /// `pointsAdded` for them.
    void entriesAppended(int count);
    /// Call after erasing points [first, last) (an already clamped range): erases their names and flags,
    /// then emits `pointsRemoved`.
    void entriesRemoved(int first, int last);
    /// Call after changing points [first, last).
    void entriesChanged(int first, int last) const { pointsChanged.emitSignal(first, last); }
    /// [first, last) clamped to [0, size()), or nothing when the result is empty.
    std::optional<std::pair<int, int>> clampedRange(int first, int last) const;
    /// Whether i indexes a point; otherwise logs "`operation`: invalid index i (the set has n points)".
    bool checkIndex(int i, const char* operation) const;

private:
    std::vector<std::string> m_names;
    std::vector<bool> m_flags;
};

}  // namespace Tesselon
