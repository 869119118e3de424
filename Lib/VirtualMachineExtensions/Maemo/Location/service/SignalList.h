// A list of handlers for one notification of the location service. Emitting
// works on a copy of the list, and a handler disconnected meanwhile is not
// called, so a handler may disconnect others or destroy the emitting object's
// owner; nothing of the list is touched after the last handler returns.
#pragma once

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

namespace LocationService {

template <class... Args>
class SignalList {
public:
    using Handler = std::function<void(Args...)>;

    // Answers an id for disconnect().
    int connect(Handler handler)
    {
        entries.push_back(std::make_shared<Entry>(Entry{nextId, std::move(handler), true}));
        return nextId++;
    }
    void disconnect(int id)
    {
        for (auto& entry : entries)
            if (entry->id == id)
                entry->live = false;
        std::erase_if(entries, [id](const auto& entry) { return entry->id == id; });
    }
    ~SignalList()
    {
        for (auto& entry : entries)
            entry->live = false;
    }
    void emit(Args... args) const
    {
        const auto snapshot = entries;
        for (const auto& entry : snapshot)
            if (entry->live) {
                const Handler handler = entry->handler; // survives the list's owner
                handler(args...);
            }
    }
    bool empty() const { return entries.empty(); }

private:
    struct Entry {
        int id;
        Handler handler;
        bool live;
    };
    std::vector<std::shared_ptr<Entry>> entries;
    int nextId = 1;
};

} // namespace LocationService
