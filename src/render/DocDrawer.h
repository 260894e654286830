#pragma once

// Draws document content into a draw context: whole spreads, single pages
// or single picture frames. The editing view, the page strip, the preview
// and the print engine all come through here and differ only in the
// context, its mapping and two switches:
//   quality 0: pictures from the full decoded bitmap; 1: from the store's
//     thumbnail; any other value: no picture content (borders still show);
//   printing: no page rectangle and no outline of empty frames.

#include "render/Transformation.h"

class TDrawContext;
class TFBDocument;
class TFBPage;
class TFBPictureElement;

class TDocumentDrawer {
public:
    // Spread i of the document at the context's current origin: in book
    // mode with its grey background and drop shadow, then each page that
    // exists.
    void DrawSpread(TFBDocument& document, TDrawContext& context, int quality, int spreadIndex);
    // The page at the context's current origin, clipped to the page: its
    // colour (unless printing), then frames, calendars, and texts and
    // cliparts, each list from first (lowest) to last.
    void DrawPage(TFBPage& page, TDrawContext& context, bool printing, int quality);
    // A frame with a picture draws itself; an empty one is outlined in
    // silver unless printing.
    void DrawPictureElement(TFBPictureElement& element, TDrawContext& context, bool printing,
                            int quality);
    // Shadow, picture (clipped to the frame's shape) and border of a frame
    // that holds a picture; nothing for an empty frame.
    void DrawPicture(TFBPictureElement& element, TDrawContext& context, int quality);
    // Makes the frame's shape the context's current path (page
    // coordinates). The same outline serves clipping, the empty-frame
    // outline and hit tests.
    void FramePath(const TFBPictureElement& element, TDrawContext& context);
    // The part of the picture the frame shows, in pixels of the full bitmap
    // (quality 0) or of the thumbnail (any other quality).
    TRect SourceRect(const TFBPictureElement& element, int quality);
    // The frame's border; on a linked picture meeting the spine the side
    // along the spine stays open.
    void DrawBorder(const TFBPictureElement& element, TDrawContext& context);
};

// The process-wide drawer, made on first use.
TDocumentDrawer& GetDocumentDrawer();
