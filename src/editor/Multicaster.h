#pragma once

#include <functional>
#include <vector>

class TFBElement;
class TFBPage;

// The program's one channel for change notices: whoever changes the
// document reports here, and every registered receiver except the sender
// hears about it. The main window owns the one instance for the whole run
// and hands it to the view, the page strip and the panels.
//
// A sender is identified by its address (the widget or object that made the
// change); receivers register under their own address, and a notice is not
// delivered back to the receiver whose address equals the sender.
class TMulticaster {
public:
    using TElementChanged =
        std::function<void(const void* sender, TFBElement* element, TFBPage* page)>;
    using TViewChanged = std::function<void(const void* sender, int viewIndex)>;
    using TPagesChanged = std::function<void(const void* sender)>;

    // Handlers left empty are not called.
    struct TReceiver {
        TElementChanged ElementChanged;
        TViewChanged ViewChanged;
        TPagesChanged PagesChanged;
    };

    TMulticaster() = default;
    TMulticaster(const TMulticaster&) = delete;
    TMulticaster& operator=(const TMulticaster&) = delete;

    // Registers handlers for a receiver; returns a key for Disconnect.
    int Connect(const void* receiver, TReceiver handlers);
    void Disconnect(int key);
    // Removes every registration of the receiver (call it when the receiver
    // is destroyed).
    void DisconnectReceiver(const void* receiver);
    int ReceiverCount() const;

    // An element changed (page = its page), or a page changed (no element).
    void ElementChanged(const void* sender, TFBElement* element, TFBPage* page);
    // The current view changed.
    void ViewChanged(const void* sender, int viewIndex);
    // Pages were inserted or deleted.
    void PagesChanged(const void* sender);

private:
    struct TEntry {
        int Key;
        const void* Receiver;
        TReceiver Handlers;
        bool Removed;
    };
    template <class F>
    void Deliver(const void* sender, F&& call);

    std::vector<TEntry> Entries;
    int NextKey = 1;
    int Depth = 0;
};
