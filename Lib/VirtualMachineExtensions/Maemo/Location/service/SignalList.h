// A list of handlers for one notification of the location service. Emitting
// works on a copy of the list, and a handler disconnected meanwhile is not
// called, so a handler may disconnect others or destroy the emitting object's
// owner; nothing of the list is touched after the last handler returns.
// Handlers are kept by id (in connection order), so that thousands of
// connections come and go in time linear in their number.
#pragma once

#include <functional>
#include <map>
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
        entries.emplace(nextId, std::make_shared<Entry>(Entry{std::move(handler), true}));
        return nextId++;
    }
    void disconnect(int id)
    {
        const auto found = entries.find(id);
        if (found == entries.end())
            return;
        found->second->live = false;
        entries.erase(found);
    }
    ~SignalList()
    {
        for (auto& [id, entry] : entries)
            entry->live = false;
    }
    void emit(Args... args) const
    {
        std::vector<std::shared_ptr<Entry>> snapshot;
        snapshot.reserve(entries.size());
        for (const auto& [id, entry] : entries)
            snapshot.push_back(entry);
        for (const auto& entry : snapshot)
            if (entry->live) {
                const Handler handler = entry->handler; // survives the list's owner
                handler(args...);
            }
    }
    bool empty() const { return entries.empty(); }

private:
    struct Entry {
        Handler handler;
        bool live;
    };
    std::map<int, std::shared_ptr<Entry>> entries;
    int nextId = 1;
};

} // namespace LocationService
