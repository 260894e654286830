#include "editor/Multicaster.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct TLog {
    std::vector<std::string> Lines;
};

TMulticaster::TReceiver Recorder(TLog& log, const std::string& name)
{
    TMulticaster::TReceiver r;
    r.ElementChanged = [&log, name](const void*, TFBElement*, TFBPage*) {
        log.Lines.push_back(name + " element");
    };
    r.ViewChanged = [&log, name](const void*, int view) {
        log.Lines.push_back(name + " view " + std::to_string(view));
    };
    r.PagesChanged = [&log, name](const void*) { log.Lines.push_back(name + " pages"); };
    return r;
}

TEST(MulticasterTest, EveryReceiverButTheSenderHearsEachNotice)
{
    TMulticaster m;
    TLog log;
    int strip = 0, panel = 0, view = 0;
    m.Connect(&strip, Recorder(log, "strip"));
    m.Connect(&panel, Recorder(log, "panel"));
    m.Connect(&view, Recorder(log, "view"));

    m.ViewChanged(&view, 3);
    m.ElementChanged(&panel, nullptr, nullptr);
    m.PagesChanged(nullptr);
    EXPECT_EQ(log.Lines, (std::vector<std::string> {"strip view 3", "panel view 3",
                                                    "strip element", "view element",
                                                    "strip pages", "panel pages", "view pages"}));
}

TEST(MulticasterTest, ReceiversMayLeaveAndSendWhileANoticeIsDelivered)
{
    TMulticaster m;
    TLog log;
    int a = 0, b = 0, c = 0;
    int keyC = 0;
    TMulticaster::TReceiver first = Recorder(log, "a");
    // a's handler removes c (not yet reached) and sends a notice of its own.
    first.ViewChanged = [&](const void*, int v) {
        log.Lines.push_back("a view " + std::to_string(v));
        m.Disconnect(keyC);
        if (v == 1)
            m.PagesChanged(&a);
    };
    m.Connect(&a, first);
    m.Connect(&b, Recorder(log, "b"));
    keyC = m.Connect(&c, Recorder(log, "c"));

    m.ViewChanged(nullptr, 1);
    EXPECT_EQ(log.Lines, (std::vector<std::string> {"a view 1", "b pages", "b view 1"}));
    EXPECT_EQ(m.ReceiverCount(), 2);

    m.DisconnectReceiver(&b);
    log.Lines.clear();
    m.ViewChanged(nullptr, 2);
    EXPECT_EQ(log.Lines, (std::vector<std::string> {"a view 2"}));
}

TEST(MulticasterTest, EmptyHandlersAreSkipped)
{
    TMulticaster m;
    int pagesHeard = 0;
    TMulticaster::TReceiver r;
    r.PagesChanged = [&](const void*) { ++pagesHeard; };
    m.Connect(&r, r);
    m.ViewChanged(nullptr, 0);
    m.ElementChanged(nullptr, nullptr, nullptr);
    m.PagesChanged(nullptr);
    EXPECT_EQ(pagesHeard, 1);
}

} // namespace
