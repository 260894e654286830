#include "editor/Multicaster.h"

#include <algorithm>

int TMulticaster::Connect(const void* receiver, TReceiver handlers)
{
    const int key = NextKey++;
    Entries.push_back(TEntry {key, receiver, std::move(handlers), false});
    return key;
}

void TMulticaster::Disconnect(int key)
{
    for (TEntry& e : Entries)
        if (e.Key == key)
            e.Removed = true;
    if (Depth == 0)
        std::erase_if(Entries, [](const TEntry& e) { return e.Removed; });
}

void TMulticaster::DisconnectReceiver(const void* receiver)
{
    for (TEntry& e : Entries)
        if (e.Receiver == receiver)
            e.Removed = true;
    if (Depth == 0)
        std::erase_if(Entries, [](const TEntry& e) { return e.Removed; });
}

int TMulticaster::ReceiverCount() const
{
    return int(std::count_if(Entries.begin(), Entries.end(),
                             [](const TEntry& e) { return !e.Removed; }));
}

// A handler may connect, disconnect (itself or others) or send further
// notices while a notice is delivered: entries are only marked while any
// delivery runs, and receivers added meanwhile hear the next notice only.
template <class F>
void TMulticaster::Deliver(const void* sender, F&& call)
{
    ++Depth;
    try {
        const std::size_t count = Entries.size();
        for (std::size_t i = 0; i < count; ++i) {
            if (Entries[i].Removed || Entries[i].Receiver == sender)
                continue;
            // Copied: the handler may grow the list and move the entries.
            const TReceiver handlers = Entries[i].Handlers;
            call(handlers);
        }
    } catch (...) {
        --Depth;
        if (Depth == 0)
            std::erase_if(Entries, [](const TEntry& e) { return e.Removed; });
        throw;
    }
    --Depth;
    if (Depth == 0)
        std::erase_if(Entries, [](const TEntry& e) { return e.Removed; });
}

void TMulticaster::ElementChanged(const void* sender, TFBElement* element, TFBPage* page)
{
    Deliver(sender, [&](const TReceiver& r) {
        if (r.ElementChanged)
            r.ElementChanged(sender, element, page);
    });
}

void TMulticaster::ViewChanged(const void* sender, int viewIndex)
{
    Deliver(sender, [&](const TReceiver& r) {
        if (r.ViewChanged)
            r.ViewChanged(sender, viewIndex);
    });
}

void TMulticaster::PagesChanged(const void* sender)
{
    Deliver(sender, [&](const TReceiver& r) {
        if (r.PagesChanged)
            r.PagesChanged(sender);
    });
}
