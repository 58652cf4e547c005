#pragma once

// An observer of one playlist document. The document calls it from whichever thread
// changed the list, with the document lock held: an implementation only records or
// forwards the request (the desktop view posts it to its own thread) and never waits.
class IDocumentView {
public:
    virtual ~IDocumentView() = default;

    // Redraw one line, or every line for -1.
    virtual void RedrawLine(int line) = 0;
    // Bring a line into view (the next line to play after a loop start).
    virtual void ScrollToLine(int line) = 0;
};
