#pragma once

#include <QFont>

// Defaults for new text elements, changed by the text panel.
class TDefaultWerte {
public:
    TDefaultWerte();
    QFont Font;
    bool Shadow = true;
};
