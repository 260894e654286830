#pragma once

#include "editor/ViewMapping.h"

#include <QAbstractScrollArea>

class QScrollBar;

// A scrollable drawing surface whose scroll bars follow TScrollModel:
// content of ContentWidth x ContentHeight pixels, centred when set up, lines
// of 10 and pages of 50 pixels. Painting goes to PaintContent, with
// UpdateRect telling which part of the viewport is invalid.
class TPaintWindow : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TPaintWindow(QWidget* parent = nullptr);

    TScrollModel& ScrollModel() { return FScroll; }
    const TScrollModel& ScrollModel() const { return FScroll; }
    int ContentWidth() const { return FScroll.ContentWidth(); }
    int ContentHeight() const { return FScroll.ContentHeight(); }
    // Sets the content size and sets the bars up.
    void SetContentSize(int width, int height);
    // Sets the bars up from the content and client sizes (centred) and
    // shows them.
    void UpdateScrollBars();
    int ScrollPos(TScrollAxis axis) const { return FScroll.ScrollPos(axis); }
    int ScrollMax(TScrollAxis axis) const { return FScroll.ScrollMax(axis); }
    void SetScrollPos(TScrollAxis axis, int pos);

    // When set, unneeded bars are shown disabled instead of hidden.
    bool AlwaysShowScrollBars() const { return FAlwaysShow; }
    void SetAlwaysShowScrollBars(bool value);

    // The invalid part of the viewport while PaintContent runs; everything
    // (kNoUpdateRect) at all other times.
    TRect UpdateRect() const { return FUpdateRect; }

signals:
    // After every scroll-bar step.
    void Scrolled();

protected:
    // Paints the viewport; the default fills it white.
    virtual void PaintContent(QPainter& painter);
    // The viewport got a new size; the default gives it to the scroll
    // model and sets the bars up.
    virtual void ClientResized(int width, int height);
    // Pushes the model's bars to the widget's scroll bars.
    void SyncScrollBars();

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void BarAction(TScrollAxis axis, int action);
    QScrollBar* BarOf(TScrollAxis axis) const;
    void ApplyClientSize();

    TScrollModel FScroll;
    TRect FUpdateRect;
    bool FAlwaysShow = false;
    int FSyncing = 0;
    int FResizing = 0;
};
