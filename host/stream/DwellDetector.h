#pragma once

#include <Eigen/Core>

#include <cstddef>
#include <deque>
#include <optional>
#include <vector>

namespace Tesselon {

/// How still and for how long a tip must rest; see `DwellDetector`.
struct DwellSettings
{
    double radius = 0.5;    ///< mm
    double duration = 1.0;  ///< seconds
    /// A tip farther than this from a rest has moved on. Larger than the radius because a tip pivoting
    /// in a divot wanders by a few millimetres (its calibration is never exact), smaller than the
    /// spacing of landmarks.
    double moveOnDistance = 5.0;
};

/// Finds where a pointer's tip rests: within `radius` of its mean for at least `duration`. Fed one
/// timestamped tip position at a time, it reports a capture once per rest and re-arms when the tip moves
/// on; over a whole recording, `findRests` lists the rests with their mean tips. Used by the registration
/// panel's dwell capture and by `tesselon register --recording`. Not locked: one thread feeds it.
class DwellDetector
{
public:
    using Settings = DwellSettings;

    /// One rest: live, from the first sample of the window that completed it to the last before the tip
    /// moved on; in `findRests`, from the tip's arrival.
    struct Rest
    {
        Eigen::Vector3d meanTip = Eigen::Vector3d::Zero();
        double firstTime = 0;
        double lastTime = 0;
        std::size_t sampleCount = 0;
    };

    struct Sample
    {
        double time = 0;  ///< seconds
        Eigen::Vector3d tip = Eigen::Vector3d::Zero();
    };

    enum class Event
    {
        None,
        Captured,  ///< this sample completed a rest: `rest()` holds the captured tip
        MovedOn,   ///< this sample left a rest: `rest()` holds it whole
        Ignored,   ///< a non-finite sample, or one older than the last: it changed nothing
    };

    /// Negative or non-finite settings, and a duration of 0, fall back to the defaults; a move-on distance
    /// below the radius is raised to it.
    explicit DwellDetector(Settings settings = {});

    /// Feeds one sample. The first sample does not arm the detector: a tip already resting when watching
    /// starts was not brought there, so it must move on before a rest counts.
    Event add(double time, const Eigen::Vector3d& tip);
    /// The rest being extended, or the one just left.
    const Rest& rest() const { return m_rest; }
    /// The settings in use, after mending.
    const Settings& settings() const { return m_settings; }
    /// Forgets everything, as if no sample had been fed.
    void reset();

    /// The rests the tip both arrived at and moved on from, in time order, each reaching back to the first
    /// sample within `moveOnDistance` of its capture since the tip arrived. A recording usually starts and
    /// ends with the pointer lying still; a rest it ends in was never left, so it is not reported.
    static std::vector<Rest> findRests(const std::vector<Sample>& samples, Settings settings = {});

private:
    Event watch(double time, const Eigen::Vector3d& tip);
    void shrinkWindow();
    Eigen::Vector3d windowMean() const;
    void startRest();
    void extendRest(double time, const Eigen::Vector3d& tip);

    Settings m_settings;
    std::deque<Sample> m_window;
    Eigen::Vector3d m_windowSum = Eigen::Vector3d::Zero();
    /// While set, the detector is disarmed until the tip leaves this point's neighbourhood.
    std::optional<Eigen::Vector3d> m_anchor;
    bool m_resting = false;
    Eigen::Vector3d m_restSum = Eigen::Vector3d::Zero();
    Rest m_rest;
    std::optional<double> m_lastTime;
};

}  // namespace Tesselon
