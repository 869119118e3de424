// Host services that record what the Timer, Screen and graphics natives ask
// of the host, on the machine fixture of the machine tests.
#pragma once

#include "MachineTestSupport.h"

#include <map>
#include <optional>

namespace ScreenTest {

using MachineTest::Logs;
using MachineTest::Outcome;

struct Area {
    int x, y, width, height;
    bool operator==(const Area&) const = default;
};

class FakeScreenServices : public MachineTest::RecordingServices {
public:
    // Timers: id -> (listener, delay); ids count up from `nextId`.
    struct TimerRecord {
        TWord listener;
        int delay;
    };
    std::map<int, TimerRecord> timers;
    int nextId = 10;
    std::vector<std::pair<int, int>> delayUpdates; // (id, delay)

    std::vector<Area> areas;
    int orientation = 2;
    std::vector<int> orientationRequests;
    std::optional<bool> screenFlag;
    std::vector<TWord> listenersAdded, listenersRemoved;

    int addTimer(TWord listener, int delay) override
    {
        timers[nextId] = TimerRecord{listener, delay};
        return nextId++;
    }
    TWord removeTimer(int id) override
    {
        auto found = timers.find(id);
        if (found == timers.end())
            return 0;
        const TWord listener = found->second.listener;
        timers.erase(found);
        return listener;
    }
    bool updateTimerDelay(int id, int delay) override
    {
        delayUpdates.emplace_back(id, delay);
        return true;
    }

    void updateArea(int x, int y, int width, int height) override { areas.push_back(Area{x, y, width, height}); }
    void getScreenSize(int& width, int& height) override
    {
        width = orientation == 2 ? 800 : 480;
        height = orientation == 2 ? 480 : 800;
    }
    void setOrientation(int value) override
    {
        orientationRequests.push_back(value);
        orientation = value;
    }
    int getOrientation() override { return orientation; }
    void setScreenFlag(bool flag) override { screenFlag = flag; }
    void orientationListenerAdded(TWord listener) override { listenersAdded.push_back(listener); }
    void orientationListenerRemoved(TWord listener) override { listenersRemoved.push_back(listener); }
};

using ScreenMachine = MachineTest::MachineWith<FakeScreenServices>;

// Runs a host call that may end the run through the error hooks (which log
// the error and call the exit service); answers whether it stopped.
template <class Call>
bool stopsRun(Call&& call)
{
    try {
        call();
    } catch (const MachineStop&) {
        return true;
    }
    return false;
}

} // namespace ScreenTest
