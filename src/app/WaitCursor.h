#pragma once

// Shows the wait cursor for its lifetime (nothing without a GUI
// application). Nested instances stack; an exception unwinding through one
// restores the cursor.
class TWaitCursor {
public:
    TWaitCursor();
    ~TWaitCursor();
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;

private:
    bool Active = false;
};
